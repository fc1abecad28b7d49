// CSV as spreadsheets read it: UTF-8 with a byte-order mark, RFC 4180
// quoting, CR LF; and a text cell that a spreadsheet would take for a formula
// is written with a leading ' inside quotes. Every CSV the collector writes
// goes through here, and the syntax files take the mark off by the same list.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace CsvText {

inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The characters that make a spreadsheet read a text that begins with one as a formula.
inline constexpr char kFormulaStarts[] = {'=', '+', '-', '@', '\t', '\r'};

// Whether a spreadsheet would read the text as a formula: it begins with one
// of kFormulaStarts. So that the mark can be taken off again without doubt,
// a text that begins with ' and then such a character gets one too.
bool needsFormulaMark(QByteArrayView text);

// The formula characters as a person reads them: "= + - @、制表符或回车".
QString formulaStartsInWords();

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

// A whole file of text: the byte-order mark, the header row, the rows.
QByteArray table(const QStringList &header, const QList<QStringList> &rows);

} // namespace CsvText
