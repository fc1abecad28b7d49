// CSV as spreadsheets read it: UTF-8 with a byte-order mark, RFC 4180
// quoting, CR LF; and a text cell that a spreadsheet would take for a formula
// is written with a leading ' inside quotes. Every CSV the collector writes
// goes through here.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace CsvText {

inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Whether a spreadsheet would read the text as a formula: it begins with =,
// +, -, @, a tab or a CR. So that the mark can be taken off again without
// doubt, a text that begins with ' and then such a character gets one too.
bool needsFormulaMark(QByteArrayView text);

// The most bytes put() writes for a field of size bytes.
constexpr qsizetype maxFieldBytes(qsizetype size)
{
    return 2 * size + 3;
}

// Writes the field at out and returns the end. A text (not a number column)
// gets the formula mark where it needs one.
char *put(char *out, QByteArrayView field, bool text);

// Appends one text field.
void appendField(QByteArray &out, QByteArrayView field);

// Appends one row of text fields, ended by CR LF.
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
