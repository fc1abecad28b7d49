#include "serve/office/OfficeRoutes.h"

#include "serve/service/Answers.h"
#include "serve/service/Routes.h"
#include "serve/store/Sql.h"
#include "serve/store/ThreadStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>

#include <array>
#include <utility>

namespace Serve {

using namespace Answers;

namespace {

constexpr qint64 kAuditPage = 100;
constexpr qsizetype kMaxCodeName = 100;

const std::array<std::pair<const char *, const char *>, 9> kActions{{
    {Audit::kSignIn, "登录"},
    {Audit::kSignOut, "退出"},
    {Audit::kReview, "审核"},
    {Audit::kFindingChecked, "核查发现"},
    {Audit::kCodeAdded, "建立上传代码"},
    {Audit::kCodeRevoked, "停用上传代码"},
    {Audit::kDownload, "下载"},
    {Audit::kCollectorAdded, "添加采集人员"},
    {Audit::kCollectorRevoked, "停用采集人员"},
}};

QString actionText(const QString &action)
{
    for (const auto &[value, words] : kActions)
        if (action == QLatin1String(value))
            return QString::fromUtf8(words);
    return action;
}

Response failed()
{
    dropThreadStore();
    return unavailable();
}

QString localText(const QDateTime &time)
{
    return time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
}

Response codes(const CollectorCall &call)
{
    QString error;
    const QList<UploadCode> list = call.store.codes(&error);
    if (!error.isEmpty())
        return failed();
    QJsonArray rows;
    for (const UploadCode &c : list)
        rows.append(QJsonObject{{"id", c.id},
                                {"name", c.name},
                                {"createdText", localText(c.created)},
                                {"revoked", c.revoked},
                                {"files", c.files}});
    return json(200, QJsonObject{{"codes", rows}});
}

// A new code, shown this once: only its hash is kept.
Response addCode(const CollectorCall &call)
{
    const QString name = QJsonDocument::fromJson(call.request.body).object().value("name").toString().trimmed();
    if (name.isEmpty() || name.size() > kMaxCodeName)
        return refusal(400, QStringLiteral("上传代码的名称不能为空，也不能超过 %1 个字。").arg(kMaxCodeName));
    QString error;
    if (!call.store.beginWrite(&error))
        return failed();
    const std::optional<QByteArray> code = call.store.addCode(name, &error);
    if (!code || !Access(call.store).audit(call.session.collectorId, Audit::kCodeAdded, name, {}, &error) ||
        !call.store.commitTransaction(&error)) {
        call.store.rollback();
        return failed();
    }
    return json(200, QJsonObject{{"name", name},
                                 {"code", QString::fromLatin1(*code)},
                                 {"path", QString::fromLatin1(Routes::kUploadPage) + QString::fromLatin1(*code)}});
}

Response revokeCode(const CollectorCall &call)
{
    const qint64 id = QJsonDocument::fromJson(call.request.body).object().value("id").toInteger(0);
    QString error;
    if (!call.store.beginWrite(&error))
        return failed();
    QSqlQuery q(call.store.connection());
    q.prepare("UPDATE upload_codes SET revoked = ? WHERE id = ? AND revoked IS NULL RETURNING name");
    q.addBindValue(Sql::timeText(QDateTime::currentDateTimeUtc()));
    q.addBindValue(id);
    if (!Sql::run(q, &error)) {
        call.store.rollback();
        return failed();
    }
    if (!q.next()) {
        q.finish();
        call.store.rollback();
        return refusal(404, QStringLiteral("没有这个上传代码，或它已停用。"));
    }
    const QString name = q.value(0).toString();
    q.finish();
    if (!Access(call.store).audit(call.session.collectorId, Audit::kCodeRevoked, name, {}, &error) ||
        !call.store.commitTransaction(&error)) {
        call.store.rollback();
        return failed();
    }
    return json(200, QJsonObject{{"id", id}, {"revoked", true}});
}

// The newest first, a page at a time.
Response auditLog(const CollectorCall &call)
{
    bool ok = true;
    const qint64 offset = call.request.argument("offset").isEmpty() ? 0 : call.request.argument("offset").toLongLong(&ok);
    if (!ok || offset < 0)
        return refusal(400, QStringLiteral("页码不对。"));
    QString error;
    const QList<AuditEntry> entries = Access(call.store).auditLog(offset, kAuditPage + 1, &error);
    if (!error.isEmpty())
        return failed();
    QJsonArray rows;
    for (qsizetype i = 0; i < std::min<qsizetype>(entries.size(), kAuditPage); ++i) {
        const AuditEntry &e = entries[i];
        rows.append(QJsonObject{{"atText", localText(e.at)},
                                {"collector", e.collector.isEmpty() ? QStringLiteral("（服务器）") : e.collector},
                                {"action", e.action},
                                {"actionText", actionText(e.action)},
                                {"subject", e.subject},
                                {"detail", e.detail}});
    }
    return json(200, QJsonObject{{"entries", rows}, {"next", entries.size() > kAuditPage ? offset + kAuditPage : 0}});
}

} // namespace

QList<CollectorRoute> officeRoutes(const CollectorContext &)
{
    return {
        {"GET", Routes::kCodes, false, codes},
        {"POST", Routes::kCodes, false, addCode},
        {"POST", Routes::kRevokeCode, false, revokeCode},
        {"GET", Routes::kAudit, false, auditLog},
    };
}

} // namespace Serve
