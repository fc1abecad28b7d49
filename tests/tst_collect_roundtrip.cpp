// Round trip: random answer records saved by the program's own result file
// writer, merged into every format, and read back by independent readers.
// Every cell, variable label and value label is compared with the record it
// came from, by rules written out here from the survey's layout.
#include "collect/FileFormat.h"
#include "collect/Merge.h"
#include "collect/RunControl.h"
#include "survey/LineMap.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

using Survey::Line;
using Survey::LineKind;

// A column of the data set as the collector's users are told it is.
struct Column {
    enum Kind { File, Text, Number, Code, List, Flag, Order, Rank } kind;
    QString name;
    const Line *line = nullptr;
    int position = -1;
};

QList<Column> expectedColumns()
{
    QList<Column> columns{{Column::File, QStringLiteral("file")}};
    for (const Line &line : Survey::lines()) {
        switch (line.kind) {
        case LineKind::FreeText:
            columns.append({Column::Text, line.variable, &line});
            break;
        case LineKind::Number:
            columns.append({Column::Number, line.variable, &line});
            break;
        case LineKind::SingleChoice:
        case LineKind::YesNoPair:
            columns.append({Column::Code, line.variable, &line});
            break;
        case LineKind::ListPick:
            columns.append({Column::List, line.variable, &line});
            break;
        case LineKind::OptionCodes:
            for (int i = 0; i < int(line.positions.size()); ++i)
                columns.append({Column::Flag, line.positionVariables[i], &line, i});
            break;
        case LineKind::Ranking:
            columns.append({Column::Order, line.variable, &line});
            for (int i = 0; i < int(line.positionVariables.size()); ++i)
                columns.append({Column::Rank, line.positionVariables[i], &line, i});
            break;
        }
    }
    return columns;
}

bool lettersAsCodes(const Line &line)
{
    for (const Survey::Choice &c : line.choices)
        if (!c.code.front().isDigit())
            return true;
    return false;
}

struct Sample {
    QString fileName;
    QStringList lines;
};

// The cell as CSV holds it.
QString csvCell(const Column &c, const Sample &s)
{
    if (c.kind == Column::File)
        return s.fileName;
    const QString &raw = s.lines[c.line->number - 1];
    switch (c.kind) {
    case Column::Flag:
        return raw[c.position] == QLatin1Char('1') ? QStringLiteral("1") : QStringLiteral("0");
    case Column::Rank:
        return c.position < raw.size() ? raw.mid(c.position, 1) : QString();
    default:
        return raw;
    }
}

// The cell as SPSS and Stata hold it: a string, a number, or null for missing.
QVariant statCell(const Column &c, const Sample &s)
{
    const QString text = csvCell(c, s);
    switch (c.kind) {
    case Column::File:
    case Column::Text:
    case Column::Order:
        return text;
    case Column::Number:
        return text.isEmpty() ? QVariant() : QVariant(text.trimmed().toDouble());
    case Column::Flag:
        return text.toDouble();
    case Column::Code:
        if (text.isEmpty())
            return {};
        if (!lettersAsCodes(*c.line))
            return text.toDouble();
        for (int i = 0; i < int(c.line->choices.size()); ++i)
            if (c.line->choices[i].code == text)
                return double(i + 1);
        return {};
    case Column::List:
        return text.isEmpty() ? QVariant() : QVariant(double(c.line->items.indexOf(text) + 1));
    case Column::Rank:
        return text.isEmpty() ? QVariant() : QVariant(double(c.line->letters.indexOf(text) + 1));
    }
    return {};
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

bool numericInExcel(const Column &c)
{
    return c.kind == Column::Number || c.kind == Column::Flag || (c.kind == Column::Code && !lettersAsCodes(*c.line));
}

// The variable label: the line's label, or for an option or a rank, the
// question with the option's caption or the rank.
void checkLabel(const Column &c, const QString &label, qsizetype keptCharacters = -1)
{
    QString whole;
    if (c.kind == Column::File) {
        whole = QStringLiteral("文件名");
    } else if (c.kind == Column::Flag) {
        QVERIFY2(label.startsWith(c.line->question.left(keptCharacters > 0 ? 20 : -1)), qPrintable(label));
        if (keptCharacters < 0)
            QVERIFY2(label.endsWith(c.line->positions[c.position].trimmed()), qPrintable(label));
        return;
    } else if (c.kind == Column::Rank) {
        QVERIFY2(label.startsWith(c.line->question.left(20)), qPrintable(label));
        if (keptCharacters < 0)
            QVERIFY2(label.endsWith(QStringLiteral("第%1位").arg(c.position + 1)), qPrintable(label));
        return;
    } else {
        whole = c.line->label;
        if (c.kind == Column::Number && !c.line->year.isEmpty())
            QVERIFY(whole.contains(c.line->year));
        if (!c.line->unit.isEmpty())
            QVERIFY(whole.contains(c.line->unit));
    }
    QCOMPARE(label, keptCharacters > 0 ? whole.left(keptCharacters) : whole);
}

// Value labels: codes keep their captions (letters turned into numbers keep
// the letter), lists their items, ranks the option's letter.
void checkValueLabels(const Column &c, const QMap<int, QString> &labels)
{
    switch (c.kind) {
    case Column::Code:
        QCOMPARE(labels.size(), c.line->choices.size());
        for (int i = 0; i < int(c.line->choices.size()); ++i) {
            const Survey::Choice &choice = c.line->choices[i];
            const int value = lettersAsCodes(*c.line) ? i + 1 : choice.code.toInt();
            QVERIFY2(labels.value(value).contains(choice.caption.trimmed()), qPrintable(labels.value(value)));
            if (lettersAsCodes(*c.line))
                QVERIFY(labels.value(value).startsWith(choice.code));
        }
        break;
    case Column::List:
        QCOMPARE(labels.size(), c.line->items.size());
        for (int i = 0; i < int(c.line->items.size()); ++i)
            QCOMPARE(labels.value(i + 1), c.line->items[i]);
        break;
    case Column::Rank:
        QCOMPARE(labels.size(), c.line->letters.size());
        for (int i = 0; i < int(c.line->letters.size()); ++i)
            QVERIFY(labels.value(i + 1).startsWith(c.line->letters[i]));
        break;
    case Column::Flag:
        QCOMPARE(labels.keys(), (QList<int>{0, 1}));
        break;
    default:
        QVERIFY2(labels.isEmpty(), qPrintable(c.name));
    }
}

} // namespace

class CollectRoundTripTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void csv();
    void xlsx();
    void stat_data();
    void stat();
    void codebook();

private:
    QString output(const char *extension) const { return dir_.path() + QStringLiteral("/out/merged.") + extension; }
    const Sample &sampleOf(const QString &fileName) const;

    QTemporaryDir dir_;
    QList<Sample> samples_;
    QList<Column> columns_;
};

void CollectRoundTripTest::initTestCase()
{
    columns_ = expectedColumns();
    const QString folder = dir_.path() + QStringLiteral("/in/");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("sub")));
    QVERIFY(QDir().mkpath(dir_.path() + QStringLiteral("/out")));
    QRandomGenerator rng(2014);
    for (int i = 0; i < 80; ++i) {
        const AnswerRecord record = SampleRecords::make(rng, i, SampleRecords::Texts::Tricky);
        const QString path = SampleRecords::write(record, i % 2 ? folder : folder + QStringLiteral("sub/"));
        samples_.append({QFileInfo(path).fileName(), SampleRecords::lines(record)});
    }
    Merge::Options options;
    options.inputs = {folder};
    options.outputs = {output("csv"), output("xlsx"), output("sav"), output("dta")};
    options.codebook = dir_.path() + QStringLiteral("/out/codebook.csv");
    RunControl control;
    Merge merge(options);
    const Merge::Summary summary = merge.run(control);
    QCOMPARE(summary.found, 80);
    QCOMPARE(summary.accepted, 80);
    for (const ProblemReport::Entry &e : merge.problems().entries())
        qWarning() << e.file << e.line << e.what;
    QCOMPARE(merge.problems().entries().size(), 0);
    QCOMPARE(summary.exitStatus(), 0);
}

const Sample &CollectRoundTripTest::sampleOf(const QString &fileName) const
{
    for (const Sample &s : samples_)
        if (s.fileName == fileName)
            return s;
    qFatal("no sample named %s", qPrintable(fileName));
}

void CollectRoundTripTest::csv()
{
    QFile file(output("csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(file.readAll(), rows));
    QCOMPARE(rows.size(), 1 + samples_.size());
    QStringList names;
    for (const Column &c : columns_)
        names << c.name;
    QCOMPARE(rows[0], names);
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const Sample &s = sampleOf(rows[r][0]);
        QCOMPARE(rows[r].size(), columns_.size());
        for (qsizetype c = 0; c < columns_.size(); ++c)
            QCOMPARE(rows[r][c], csvCell(columns_[c], s));
    }
}

void CollectRoundTripTest::xlsx()
{
    const QList<OutputReaders::Sheet> sheets = OutputReaders::readXlsx(output("xlsx"));
    QCOMPARE(sheets.size(), 3);
    QCOMPARE(sheets[0].name, QStringLiteral("数据"));
    QCOMPARE(sheets[1].name, QStringLiteral("变量说明"));
    QCOMPARE(sheets[2].name, QStringLiteral("问题"));
    const OutputReaders::Sheet &data = sheets[0];
    QCOMPARE(data.frozenRows, 2);
    for (int c = 0; c < int(columns_.size()); ++c) {
        QCOMPARE(data.cells.value({0, c}).text, columns_[c].name);
        checkLabel(columns_[c], data.cells.value({1, c}).text);
    }
    for (int r = 2; r < 2 + int(samples_.size()); ++r) {
        const Sample &s = sampleOf(data.cells.value({r, 0}).text);
        for (int c = 0; c < int(columns_.size()); ++c) {
            const Column &column = columns_[c];
            const QString expected = csvCell(column, s);
            const bool present = data.cells.contains({r, c});
            QCOMPARE(present, !expected.isEmpty()); // missing is an empty cell
            if (!present)
                continue;
            const OutputReaders::Cell cell = data.cells.value({r, c});
            QCOMPARE(cell.number, numericInExcel(column));
            if (cell.number)
                QCOMPARE(cell.text.toDouble(), expected.trimmed().toDouble());
            else
                QCOMPARE(cell.text, expected);
        }
    }
    // The codebook sheet: one row per variable after its header.
    QCOMPARE(sheets[1].cells.value({0, 0}).text, QStringLiteral("variable"));
    for (int c = 0; c < int(columns_.size()); ++c)
        QCOMPARE(sheets[1].cells.value({c + 1, 0}).text, columns_[c].name);
    // The problem sheet: its header, no problems.
    QCOMPARE(sheets[2].cells.value({0, 0}).text, QStringLiteral("file"));
    QVERIFY(!sheets[2].cells.contains({1, 0}));
}

void CollectRoundTripTest::stat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("labelCharacters"); // how much of a variable label the format keeps
    QTest::newRow("SPSS") << "sav" << -1;
    QTest::newRow("Stata") << "dta" << 80;
}

void CollectRoundTripTest::stat()
{
    QFETCH(QString, format);
    QFETCH(int, labelCharacters);
    const OutputReaders::StatFile file = OutputReaders::readStat(output(format.toLatin1().constData()), format);
    QVERIFY2(file.ok, qPrintable(file.error));
    QCOMPARE(file.variables.size(), columns_.size());
    QCOMPARE(file.rows.size(), samples_.size());
    for (qsizetype c = 0; c < columns_.size(); ++c) {
        const Column &column = columns_[c];
        const OutputReaders::StatVariable &v = file.variables[c];
        QCOMPARE(v.name, column.name);
        QCOMPARE(v.isString,
                 column.kind == Column::File || column.kind == Column::Text || column.kind == Column::Order);
        const qsizetype kept = labelCharacters > 0 && v.label.size() >= labelCharacters ? labelCharacters : -1;
        checkLabel(column, v.label, kept);
        checkValueLabels(column, file.labelSets.value(v.labelSet));
    }
    // Strings are as wide as their longest value.
    for (qsizetype c = 0; c < columns_.size(); ++c) {
        if (!file.variables[c].isString)
            continue;
        qsizetype longest = 1;
        for (const Sample &s : samples_)
            longest = std::max(longest, csvCell(columns_[c], s).toUtf8().size());
        // ReadStat gives a Stata str's width with room for a terminating NUL;
        // SPSS rounds widths up to its 8-byte segments.
        if (format == QLatin1String("dta"))
            QCOMPARE(file.variables[c].storageWidth, int(longest) + 1);
        else
            QVERIFY(file.variables[c].storageWidth >= longest);
    }
    for (const QList<QVariant> &row : file.rows) {
        const Sample &s = sampleOf(row[0].toString());
        for (qsizetype c = 0; c < columns_.size(); ++c) {
            const QVariant expected = statCell(columns_[c], s);
            // ReadStat's reader drops blanks at the end of a text (SPSS pads
            // texts with blanks, so they cannot be told apart there anyway).
            if (expected.typeId() == QMetaType::QString)
                QCOMPARE(row[c].toString(), withoutTrailingBlanks(expected.toString()));
            else if (expected.isNull())
                QVERIFY2(row[c].isNull(), qPrintable(columns_[c].name));
            else
                QCOMPARE(row[c].toDouble(), expected.toDouble());
        }
    }
}

void CollectRoundTripTest::codebook()
{
    QFile file(dir_.path() + QStringLiteral("/out/codebook.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(file.readAll(), rows));
    QCOMPARE(rows.value(0), (QStringList{"variable", "line", "label", "type", "unit", "values"}));
    QCOMPARE(rows.size(), 1 + columns_.size());
    for (qsizetype c = 0; c < columns_.size(); ++c) {
        const Column &column = columns_[c];
        QCOMPARE(rows[c + 1][0], column.name);
        QCOMPARE(rows[c + 1][1], column.line ? QString::number(column.line->number) : QString());
        checkLabel(column, rows[c + 1][2]);
        QCOMPARE(rows[c + 1][4], column.line ? column.line->unit : QString());
        if (column.kind == Column::List) // every item with its number
            for (int i = 0; i < int(column.line->items.size()); ++i)
                QVERIFY(rows[c + 1][5].contains(QStringLiteral("%1=%2").arg(i + 1).arg(column.line->items[i])));
    }
}

QTEST_GUILESS_MAIN(CollectRoundTripTest)
#include "tst_collect_roundtrip.moc"
