// The data set: one row per accepted result file, its variables built from the
// survey's line map (names, labels, codes, list items, option positions,
// gates), after three that say where the row came from.
#pragma once

#include "survey/DataChecks.h"
#include "survey/ResultFileFormat.h"

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
        File,       // the file's path from the named input on
        Modified,   // the file's modification time: a date-time
        Hash,       // the SHA-256 of the file's bytes, the record's ID
        Text,       // a free text line, as written
        Number,     // a number field: numeric where the format has numbers
        Code,       // a single choice or yes/no pair: the survey's code
        ListItem,   // a list pick: the item's text, or its place 1…n in the list
        Flag,       // one position of a code string: 1 ticked, 0 not
        RankOrder,  // question 21's letters in ticking order, as written
        RankLetter, // the option at one rank: its letter, or 1…n for A…
        RankOf,     // the rank of one option, 1…n
        Checks,     // the ids of the data checks that fired on the record, blank between them
    };

    enum class Measure { Nominal, Ordinal, Scale };

    struct ValueLabel {
        int value;
        QString label{};
    };

    // What a line closed by its gate holds in SPSS (a user-missing code) and
    // in the values the syntax files read; Stata has .a instead.
    static constexpr int kNotApplicableCode = -1;
    static QString notApplicableLabel();

    struct Variable {
        QString name{};
        QString label{};
        Kind kind = Kind::Text;
        int line = 0;      // 0 for the file's own variables
        int position = -1; // Flag: the code position; RankLetter: the rank; RankOf: the option (0-based)
        QString unit{};
        QList<QByteArray> codes{};       // Code: the survey's codes; ListItem: the items; RankLetter: the letters
        QList<int> values{};             // the number each code stands for in SPSS and Stata
        QList<ValueLabel> valueLabels{}; // SPSS and Stata labels of those numbers, 不适用 included
        QString labelSet{};              // name of the label set: the variable's own, or "ticked", "yes_no"
        bool numericCodes = false;       // Code: every code is a number, so the code itself is the value
        Measure measure = Measure::Nominal;
        QString notApplicableWhen{};        // empty, or when its gate closes it ("未勾选“农业产业化”时不适用")
        bool missingWhenUnanswered = false; // a question's option: missing while nothing of it is ticked

        // Numeric in SPSS and Stata.
        bool isNumeric() const
        {
            return kind != Kind::File && kind != Kind::Hash && kind != Kind::Text && kind != Kind::RankOrder &&
                   kind != Kind::Checks;
        }
        bool canBeNotApplicable() const { return !notApplicableWhen.isEmpty(); }
    };

    using LineSet = std::bitset<Survey::kLineCount>;

    // One accepted file. Lines are kept as one UTF-8 block, joined by LF (no
    // line can hold one), which keeps 100,000 records in little memory.
    struct Record {
        QByteArray file;            // UTF-8
        QByteArray modified;        // "2014-06-01 09:30:00", local time
        qint64 modifiedSeconds = 0; // the same as seconds from 1970-01-01 00:00:00 local time
        QByteArray sha256;          // 64 hex digits
        QByteArray text;            // the lines in UTF-8, each followed by LF
        LineSet unusable;           // a value outside its set: missing in every format
        LineSet notApplicable;      // empty while its gate is closed
        LineSet unanswered;         // a question with nothing ticked
        QByteArray checks;          // the checks variable: ids of the data checks that fired
    };

    // A data check that fired on a record.
    struct Finding {
        qsizetype row = 0;
        DataChecks::Finding check;
        bool checked = false; // a collector marked it as checked (on the server): no longer open
    };

    using Lines = std::array<QByteArrayView, Survey::kLineCount>;

    // One cell. Text as CSV holds it; number as SPSS and Stata hold it (for
    // Modified, local seconds from 1970 on).
    struct Cell {
        enum class State { Value, Missing, NotApplicable };
        State state = State::Missing;
        QByteArrayView text{};
        double number = 0;
        bool isValue() const { return state == State::Value; }
    };

    DataSet();

    const QList<Variable> &variables() const { return variables_; }
    const QList<Record> &records() const { return records_; }
    qsizetype rowCount() const { return records_.size(); }

    void append(Record record) { records_.append(std::move(record)); }
    void reserve(qsizetype n) { records_.reserve(n); }

    // Every finding of the data checks, by row and then in the checks' order.
    const QList<Finding> &findings() const { return findings_; }
    // Keeps them, and writes each record's checks variable from them.
    void setFindings(QList<Finding> findings);
    // Whether a collector checked any of them: the lists of findings then say which.
    bool anyChecked() const;

    // The filter that chose the records, in words ("筛选：…"), for every
    // output that says what it holds; empty when it holds every record.
    const QString &filter() const { return filter_; }
    void setFilter(QString description) { filter_ = std::move(description); }

    // The record's lines as views into its text; those after the first
    // lineCount are left empty.
    static Lines split(const Record &record, int lineCount = Survey::kLineCount);

    static Cell cell(const Variable &variable, const Record &record, const Lines &lines);
    // Whether flags of a code line, up to position end, hold no value: the
    // codes are spoilt or end before it, or nothing of a question is ticked.
    static bool flagsMissing(const Variable &flag, const Record &record, QByteArrayView codes, qsizetype end);
    // The cell's text alone (empty unless it holds a value): what CSV writes.
    static QByteArrayView text(const Variable &variable, const Record &record, const Lines &lines);

    // The data set's type of a variable, in words, for the codebook.
    static QString typeName(const Variable &variable);
    // The values of a variable, in words, for the codebook ("1=是；9=否").
    static QString valuesText(const Variable &variable);
    // When the variable is missing or 不适用 besides being left empty, in words.
    static QString missingText(const Variable &variable);

    // A caption that keeps its code letter ("A. 捐赠"), for labels of letters turned into numbers.
    static QString letterCaption(const QString &letter, const QString &caption);

private:
    static Variable lineVariable(const Survey::Line &line, Kind kind);
    void addVariable(Variable variable);
    void addLine(const Survey::Line &line);
    void addCode(const Survey::Line &line);
    void addListItem(const Survey::Line &line);
    void addFlags(const Survey::Line &line);
    void addRanking(const Survey::Line &line);
    QList<Variable> variables_;
    QList<Record> records_;
    QList<Finding> findings_;
    QString filter_;
};
