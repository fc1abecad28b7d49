// CSV text as Excel reads it: UTF-8 with a byte-order mark, RFC 4180 quoting, CR LF.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace CsvText {

inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Appends one field, quoted when it holds a comma, a quote, a CR or an LF.
void appendField(QByteArray &out, QByteArrayView field);

// Appends one row of fields, ended by CR LF.
template <typename Fields> void appendRow(QByteArray &out, const Fields &fields)
{
    bool first = true;
    for (const auto &field : fields) {
        if (!first)
            out += ',';
        first = false;
        appendField(out, QByteArrayView(field));
    }
    out += "\r\n";
}

} // namespace CsvText
