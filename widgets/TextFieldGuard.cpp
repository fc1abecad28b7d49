// The shared single-line field behaviour.
#include "widgets/TextFieldGuard.h"

#include "survey/Gbk.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>

void TextFieldGuard::guardFieldsOf(QWidget *page)
{
    auto *guard = new TextFieldGuard(page);
    for (QLineEdit *field : page->findChildren<QLineEdit *>())
        field->setValidator(guard);
}

QString TextFieldGuard::sanitize(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
    QString out = text;
    out.replace(lineBreak, QStringLiteral(" "));
    return Gbk::keepEncodable(out);
}

QValidator::State TextFieldGuard::validate(QString &input, int &pos) const
{
    const QString clean = sanitize(input);
    if (clean != input) {
        // Keep the caret after what was inserted: count what survives before it.
        pos = int(sanitize(input.left(pos)).size());
        input = clean;
    }
    return Acceptable;
}
