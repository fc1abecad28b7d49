// CSV quoting.
#include "collect/CsvText.h"

#include <cstring>

namespace CsvText {

void appendField(QByteArray &out, QByteArrayView field)
{
    bool needsQuotes = false;
    for (char c : field) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes) {
        out.append(field.data(), field.size());
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace CsvText
