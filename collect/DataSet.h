// The data set: one row per accepted result file, its variables built from the
// survey's line map (names, labels, codes, list items, option positions).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <bitset>
#include <optional>

namespace Survey {
struct Line;
}

class DataSet {
public:
    enum class Kind {
        FileName,   // the result file's name
        Text,       // a free text line, as written
        Number,     // a number field: numeric where the format has numbers
        Code,       // a single choice or yes/no pair: the survey's code
        ListItem,   // a list pick: the item's text, or its place 1…n in the list
        Flag,       // one position of a code string: 1 ticked, 0 not
        RankOrder,  // question 21's letters in ticking order, as written
        RankLetter, // the option at one rank: its letter, or 1…n for A…
    };

    struct ValueLabel {
        int value;
        QString label;
    };

    struct Variable {
        QString name;
        QString label;
        Kind kind = Kind::Text;
        int line = 0;      // 0 for the file name
        int position = -1; // Flag: the code position; RankLetter: the rank (0-based)
        QString unit;
        QList<QByteArray> codes;       // Code: the survey's codes; ListItem: the items; RankLetter: the letters
        QList<int> values;             // the number each code stands for in SPSS and Stata
        QList<ValueLabel> valueLabels; // SPSS and Stata labels of those numbers
        QString labelSet;              // name of the label set (variables with equal labels share one)
        bool numericCodes = false;     // Code: every code is a number, so the code itself is the value

        // Numeric in SPSS and Stata.
        bool isNumeric() const { return kind != Kind::FileName && kind != Kind::Text && kind != Kind::RankOrder; }
    };

    // One accepted file. Lines are kept as one UTF-8 block, joined by LF (no
    // line can hold one), which keeps 100,000 records in little memory.
    struct Record {
        QByteArray fileName;       // UTF-8
        QByteArray text;           // the 139 lines in UTF-8, each followed by LF
        std::bitset<139> unusable; // lines whose value is outside its set: missing in every format
    };

    using Lines = std::array<QByteArrayView, 139>;

    DataSet();

    const QList<Variable> &variables() const { return variables_; }
    const QList<Record> &records() const { return records_; }
    qsizetype rowCount() const { return records_.size(); }

    void append(Record record) { records_.append(std::move(record)); }
    void reserve(qsizetype n) { records_.reserve(n); }

    // A record of the lines in UTF-8, each followed by LF (as the reader gives them).
    static Record makeRecord(const QString &fileName, QByteArray utf8Lines);
    // The record's lines as views into its text.
    static Lines split(const Record &record);

    // The cell as text, as CSV holds it; empty when missing.
    static QByteArrayView text(const Variable &variable, const Record &record, const Lines &lines);
    // The cell as a number, as SPSS and Stata hold it; nothing when missing or not numeric.
    static std::optional<double> number(const Variable &variable, const Record &record, const Lines &lines);

    // A number field's text as a number; nothing when it is not one.
    static std::optional<double> parseNumber(QByteArrayView text);

    // The data set's type of a variable, in words, for the codebook.
    static QString typeName(const Variable &variable);
    // The values of a variable, in words, for the codebook ("1=是；9=否").
    static QString valuesText(const Variable &variable);

private:
    void addLine(const Survey::Line &line);
    QList<Variable> variables_;
    QList<Record> records_;
};
