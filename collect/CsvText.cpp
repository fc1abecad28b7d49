// Quoting fields, and marking formula-like texts, for every CSV output.
#include "collect/CsvText.h"

#include <algorithm>
#include <cstring>

namespace CsvText {
namespace {

bool startsFormula(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

bool needsQuotes(QByteArrayView field)
{
    for (char c : field)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

} // namespace

bool needsFormulaMark(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == '\'')
        ++i;
    return i < text.size() && startsFormula(text[i]);
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

} // namespace CsvText
