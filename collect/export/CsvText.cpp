// Quoting fields, and marking formula-like texts, for every CSV output.
#include "collect/export/CsvText.h"

#include <algorithm>
#include <cstring>

namespace CsvText {
namespace {

bool startsFormula(char c)
{
    return std::find(std::begin(kFormulaStarts), std::end(kFormulaStarts), c) != std::end(kFormulaStarts);
}

bool needsQuotes(QByteArrayView field)
{
    for (char c : field)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

void appendTextRow(QByteArray &out, const QStringList &row)
{
    QList<QByteArray> fields;
    for (const QString &field : row)
        fields << field.toUtf8();
    appendRow(out, fields);
}

} // namespace

bool needsFormulaMark(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == '\'')
        ++i;
    return i < text.size() && startsFormula(text[i]);
}

QString formulaStartsInWords()
{
    QStringList shown, named;
    for (char c : kFormulaStarts) {
        if (c == '\t')
            named << QStringLiteral("制表符");
        else if (c == '\r')
            named << QStringLiteral("回车");
        else
            shown << QString(QLatin1Char(c));
    }
    const QString last = named.takeLast();
    return shown.join(QLatin1Char(' ')) + QStringLiteral("、") + named.join(QStringLiteral("、")) +
           (named.isEmpty() ? QString() : QStringLiteral("或")) + last;
}

char *put(char *out, QByteArrayView field, bool text)
{
    if (field.isEmpty())
        return out; // its data may be null, which memcpy must not get
    const bool mark = text && needsFormulaMark(field);
    if (!mark && !needsQuotes(field)) {
        std::memcpy(out, field.data(), size_t(field.size()));
        return out + field.size();
    }
    *out++ = '"';
    if (mark)
        *out++ = '\'';
    for (char c : field) {
        if (c == '"')
            *out++ = '"';
        *out++ = c;
    }
    *out++ = '"';
    return out;
}

void appendField(QByteArray &out, QByteArrayView field)
{
    const qsizetype used = out.size();
    const qsizetype room = used + maxFieldBytes(field.size());
    if (room > out.capacity())
        out.reserve(std::max(room, 2 * out.capacity()));
    out.resize(room);
    char *end = put(out.data() + used, field, true);
    out.truncate(end - out.constData());
}

QByteArray table(const QStringList &header, const QList<QStringList> &rows)
{
    QByteArray out(kByteOrderMark);
    appendTextRow(out, header);
    for (const QStringList &row : rows)
        appendTextRow(out, row);
    return out;
}

} // namespace CsvText
