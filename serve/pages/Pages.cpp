#include "serve/pages/Pages.h"

#include "survey/Captions.h"

#include <QFile>
#include <QHash>

namespace Serve::Pages {

namespace {

QByteArray resource(const QString &name)
{
    QFile file(QStringLiteral(":/serve/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// {{name}} replaced by its value, HTML-escaped always.
QByteArray fill(QByteArray page, const QHash<QByteArray, QString> &values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        page.replace("{{" + it.key() + "}}", it.value().toHtmlEscaped().toUtf8());
    return page;
}

} // namespace

QByteArray uploadPage(State state)
{
    QString notice;
    QByteArray name = "open";
    if (state == State::Unknown) {
        name = "closed";
        notice = QStringLiteral("这个上传链接无效。请核对链接，或向调查办公室索取新的链接。");
    } else if (state == State::Revoked) {
        name = "closed";
        notice = QStringLiteral("这个上传链接已停用。请向调查办公室索取新的链接。");
    }
    return fill(resource(QStringLiteral("upload.html")),
                {{"title", Captions::kPageCaption.toString()}, {"state", QString::fromLatin1(name)}, {"notice", notice}});
}

QByteArray collectPage()
{
    return fill(resource(QStringLiteral("collect.html")), {{"title", Captions::kPageCaption.toString()}});
}

std::optional<Asset> asset(const QByteArray &name)
{
    static const QHash<QByteArray, QByteArray> types{{".css", "text/css; charset=utf-8"},
                                                     {".js", "text/javascript; charset=utf-8"}};
    static const QList<QByteArray> names{"upload.css", "upload.js", "collect.css", "collect.js", "collect-views.js",
                                            "downloads.js"};
    if (!names.contains(name))
        return std::nullopt;
    return Asset{types.value(name.mid(name.lastIndexOf('.'))), resource(QString::fromLatin1(name))};
}

QByteArray securityPolicy()
{
    return "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
           "form-action 'none'; frame-ancestors 'none'; base-uri 'none'";
}

} // namespace Serve::Pages
