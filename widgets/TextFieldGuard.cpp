// Keeping line breaks, control characters and characters outside code page
// 936 out of every single-line field, and no length limit but the file's.
#include "widgets/TextFieldGuard.h"

#include "platform/Gbk.h"
#include "survey/ResultFileFormat.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>
#include <limits>

void TextFieldGuard::guardFieldsOf(QWidget *page)
{
    auto *guard = new TextFieldGuard(page);
    for (QLineEdit *field : page->findChildren<QLineEdit *>()) {
        field->setValidator(guard);
        // QLineEdit cuts text at 32,767 characters without a word, on typing
        // and on setText alike; a result file may hold longer lines.
        field->setMaxLength(std::numeric_limits<int>::max());
    }
}

QString TextFieldGuard::sanitize(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]"));
    QString out = text;
    out.replace(lineBreak, QStringLiteral(" "));
    out.removeIf([](QChar c) { return Survey::isControlCharacter(c.unicode()); });
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
