// The problem report: every rejected file, every problem of an accepted file,
// every dropped duplicate, every text cut to fit a format, every folder that
// could not be searched, every link to a folder not followed and every other
// file left unread.
#pragma once

#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"

#include <QList>
#include <QString>

class ProblemReport {
public:
    enum class Kind {
        Rejected,          // not in the data set: see rejection
        Record,            // a problem of an accepted record: see recordKind
        FileName,          // the file's name does not match line 1
        Duplicate,         // dropped: another file of the same enterprise is newer
        IdenticalCopy,     // dropped: the same bytes as a file that is kept
        TextCut,           // a text too long for a format, cut there
        ControlCharacters, // control characters taken out of a text
        Input,             // an input that could not be searched
        LinkNotFollowed,   // a link to a folder inside an input: raw is where it leads
        NotRead,           // a file that is not a .dbf, left unread
    };

    struct Entry {
        QString file; // the path from the named input's own name on, as the data set's file column
        int line = 0; // 0 when the whole file is meant
        QString variable;
        Kind kind = Kind::Record;
        ResultFileReader::Rejection rejection = ResultFileReader::Rejection::None;
        RecordCheck::ProblemKind recordKind = RecordCheck::ProblemKind::BadCode;
        QString what; // a short Chinese sentence
        QString raw;  // the text at fault, where there is one

        // A short ASCII name of the kind, for scripts: "rejected_framing", "bad_code", ...
        QString kindName() const;
    };

    void add(Entry entry) { entries_.append(std::move(entry)); }
    void append(const QList<Entry> &entries) { entries_.append(entries); }
    const QList<Entry> &entries() const { return entries_; }
    bool isEmpty() const { return entries_.isEmpty(); }

    // The report's columns, in order, and their names for scripts.
    enum class Column { File, Line, Variable, Kind, What, Raw };
    static constexpr int kColumnCount = int(Column::Raw) + 1;
    static QStringList columns();
    static QString cell(const Entry &entry, Column column);
    // Every entry's cells, as the CSV and the workbook's sheet hold them.
    QList<QStringList> rows() const;

private:
    QList<Entry> entries_;
};
