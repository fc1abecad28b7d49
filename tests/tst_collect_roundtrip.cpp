// Round trip: random answer records saved by the program's own result file
// writer, merged into every format, and read back by independent readers.
// Every cell, variable label and value label is compared with the record it
// came from, by rules written out here from the survey's layout: a line whose
// gate is closed is 不适用, a question with nothing ticked is unanswered.
#include "collect/merge/Merge.h"
#include "collect/merge/RunControl.h"
#include "collect/report/ReportStep.h"
#include "survey/DataChecks.h"
#include "survey/LineMap.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Survey::Line;
using Survey::LineKind;

// A column of the data set as the collector's users are told it is.
struct Column {
    enum Kind { File, Modified, Hash, Text, Number, Code, List, Flag, Order, Rank, RankOf, Checks } kind;
    QString name;
    const Line *line = nullptr;
    int position = -1;
};

QList<Column> expectedColumns()
{
    QList<Column> columns{{Column::File, QStringLiteral("file")},
                          {Column::Modified, QStringLiteral("file_modified")},
                          {Column::Hash, QStringLiteral("file_sha256")}};
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
            for (int i = 0; i < int(line.letters.size()); ++i)
                columns.append({Column::RankOf, QStringLiteral("q21_rank_of_") + QChar(u'a' + i), &line, i});
            break;
        }
    }
    columns.append({Column::Checks, QStringLiteral("checks")});
    return columns;
}

bool lettersAsCodes(const Line &line)
{
    for (const Survey::Choice &c : line.choices)
        if (!c.code.front().isDigit())
            return true;
    return false;
}

bool isTextColumn(const Column &c)
{
    return c.kind == Column::File || c.kind == Column::Hash || c.kind == Column::Text || c.kind == Column::Order ||
           c.kind == Column::Checks;
}

struct Sample {
    QString file; // from the input folder's name on
    QDateTime modified;
    QString sha256;
    QStringList lines;
    QString checks; // the ids of the data checks that fire on it, each once
};

// The data checks of one record (the sample names differ, so no check across
// records fires): how they are found is the checks' own test; here, that
// every format carries them.
QString checkIds(const QStringList &lines)
{
    QList<QByteArray> utf8;
    for (const QString &line : lines)
        utf8 << line.toUtf8();
    const QList<QByteArrayView> views(utf8.begin(), utf8.end());
    QStringList ids;
    for (const DataChecks::Finding &f : DataChecks::run(views)) {
        const QString id = DataChecks::all()[size_t(f.check)].id.toString();
        if (!ids.contains(id))
            ids << id;
    }
    return ids.join(QLatin1Char(' '));
}

// A line closed by its gate: its box unticked, its "是" not chosen, the industry not 19.
bool closed(const Line &line, const Sample &s)
{
    if (line.gate == Survey::GateKind::None)
        return false;
    const QString &gate = s.lines[line.gateLine - 1];
    const bool open = line.gatePosition < 0 ? gate == line.gateValue
                                            : gate.mid(line.gatePosition, line.gateValue.size()) == line.gateValue;
    return !open;
}

enum class State { Value, Blank, NotApplicable };

State stateOf(const Column &c, const Sample &s)
{
    if (c.kind == Column::Checks)
        return s.checks.isEmpty() ? State::Blank : State::Value;
    if (!c.line)
        return State::Value;
    const QString &raw = s.lines[c.line->number - 1];
    if (raw.isEmpty() && closed(*c.line, s))
        return State::NotApplicable;
    // A question of the questionnaire with nothing ticked is not answered;
    // positions and project types keep their zeros.
    if (c.kind == Column::Flag && c.line->page == Survey::PageId::Questionnaire && !raw.contains(QLatin1Char('1')))
        return State::Blank;
    if (c.kind == Column::Rank && c.position >= raw.size())
        return State::Blank;
    if (c.kind == Column::RankOf && !raw.contains(c.line->letters[c.position]))
        return State::Blank;
    return raw.isEmpty() ? State::Blank : State::Value;
}

// The cell as text, as CSV holds it before any formula mark.
QString textOf(const Column &c, const Sample &s)
{
    if (stateOf(c, s) != State::Value)
        return {};
    switch (c.kind) {
    case Column::File:
        return s.file;
    case Column::Modified:
        return s.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Column::Hash:
        return s.sha256;
    case Column::Checks:
        return s.checks;
    default:
        break;
    }
    const QString &raw = s.lines[c.line->number - 1];
    switch (c.kind) {
    case Column::Flag:
        return raw[c.position] == QLatin1Char('1') ? QStringLiteral("1") : QStringLiteral("0");
    case Column::Rank:
        return raw.mid(c.position, 1);
    case Column::RankOf:
        return QString::number(raw.indexOf(c.line->letters[c.position]) + 1);
    default:
        return raw;
    }
}

// A text a spreadsheet would take for a formula gets a leading ' in CSV.
QString csvCell(const Column &c, const Sample &s)
{
    const QString text = textOf(c, s);
    if (!isTextColumn(c) && c.kind != Column::List)
        return text;
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char('\''))
        ++i;
    const bool formula = i < text.size() && QStringLiteral("=+-@\t").contains(text[i]);
    return formula ? QLatin1Char('\'') + text : text;
}

// Seconds from a day, counted in local time as SPSS and Stata count.
double secondsFrom(const QDate &epoch, const QDateTime &local)
{
    return double(QDateTime(epoch, QTime(0, 0), Qt::UTC).secsTo(QDateTime(local.date(), local.time(), Qt::UTC)));
}

// The cell as SPSS and Stata hold it: a string, a number, null for missing,
// or 'a' for 不适用 (SPSS holds -1 there, Stata .a).
QVariant statCell(const Column &c, const Sample &s)
{
    const State state = stateOf(c, s);
    const QString text = textOf(c, s);
    if (isTextColumn(c))
        return text;
    if (state == State::NotApplicable)
        return QChar(u'a');
    if (state == State::Blank)
        return {};
    switch (c.kind) {
    case Column::Modified:
        return secondsFrom(QDate(1582, 10, 14), s.modified);
    case Column::Number:
    case Column::Flag:
    case Column::RankOf:
        return text.trimmed().toDouble();
    case Column::Code:
        if (!lettersAsCodes(*c.line))
            return text.toDouble();
        for (int i = 0; i < int(c.line->choices.size()); ++i)
            if (c.line->choices[i].code == text)
                return double(i + 1);
        return {};
    case Column::List:
        return double(c.line->items.indexOf(text) + 1);
    case Column::Rank:
        return double(c.line->letters.indexOf(text) + 1);
    default:
        return {};
    }
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

bool numericInExcel(const Column &c)
{
    return c.kind == Column::Number || c.kind == Column::Flag || c.kind == Column::RankOf ||
           c.kind == Column::Modified || (c.kind == Column::Code && !lettersAsCodes(*c.line));
}

// The variable label: the line's label, or for an option or a rank, the
// question with the option's caption or the rank.
void checkLabel(const Column &c, const QString &label, qsizetype keptCharacters = -1)
{
    if (!c.line) {
        QVERIFY2(!label.isEmpty(), qPrintable(c.name));
        return;
    }
    if (c.kind == Column::Flag || c.kind == Column::Rank || c.kind == Column::RankOf) {
        QVERIFY2(label.startsWith(c.line->question.left(20)), qPrintable(label));
        if (keptCharacters < 0 && c.kind == Column::Flag)
            QVERIFY2(label.endsWith(c.line->positions[c.position].trimmed()), qPrintable(label));
        if (keptCharacters < 0 && c.kind == Column::Rank)
            QVERIFY2(label.endsWith(QStringLiteral("第%1位").arg(c.position + 1)), qPrintable(label));
        if (keptCharacters < 0 && c.kind == Column::RankOf)
            QVERIFY2(label.contains(c.line->positions[c.position].trimmed()), qPrintable(label));
        return;
    }
    const QString &whole = c.line->label;
    if (c.kind == Column::Number && !c.line->year.isEmpty())
        QVERIFY(whole.contains(c.line->year));
    if (!c.line->unit.isEmpty())
        QVERIFY(whole.contains(c.line->unit));
    QCOMPARE(label, keptCharacters > 0 ? whole.left(keptCharacters) : whole);
}

bool gated(const Column &c)
{
    return c.line && c.line->gate != Survey::GateKind::None;
}

// Value labels: codes keep their captions (letters turned into numbers keep
// the letter), lists their items, ranks the option's letter; a gated number
// labels its 不适用 (notApplicable: -1 in SPSS, .a in Stata), but for a figure
// in Stata, which has no value label at all.
void checkValueLabels(const Column &c, QMap<int, QString> labels, int notApplicable, bool figuresLabelled)
{
    if (gated(c) && !isTextColumn(c) && (c.kind != Column::Number || figuresLabelled)) {
        QCOMPARE(labels.take(notApplicable), QStringLiteral("不适用"));
    }
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
    const Sample &sampleOf(const QString &file) const;

    QTemporaryDir dir_;
    QList<Sample> samples_;
    QList<Column> columns_;
};

void CollectRoundTripTest::initTestCase()
{
    columns_ = expectedColumns();
    const QString folder = dir_.path() + QStringLiteral("/收到/");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("sub")));
    QVERIFY(QDir().mkpath(dir_.path() + QStringLiteral("/out")));
    QRandomGenerator rng(2014);
    for (int i = 0; i < 80; ++i) {
        const AnswerRecord record = SampleRecords::make(rng, i, SampleRecords::Texts::Tricky);
        const QString sub = i % 2 ? QString() : QStringLiteral("sub/");
        const QString path = SampleRecords::write(record, folder + sub);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString sha =
            QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
        samples_.append({QStringLiteral("收到/") + sub + QFileInfo(path).fileName(), QFileInfo(path).lastModified(),
                         sha, SampleRecords::lines(record), checkIds(SampleRecords::lines(record))});
    }
    Merge::Options options;
    options.inputs = {folder};
    options.outputs = {output("csv"), output("xlsx")};
    if (OutputReaders::spssAndStataBuiltIn())
        options.outputs << output("sav") << output("dta");
    options.codebooks = {dir_.path() + QStringLiteral("/out/codebook.csv")};
    RunControl control;
    Merge merge(options);
    const Merge::Summary summary = ReportStep::mergeAndReport(merge, control);
    QCOMPARE(summary.found, 80);
    QCOMPARE(summary.accepted, 80);
    for (const ProblemReport::Entry &e : merge.problems().entries())
        qWarning() << e.file << e.line << e.what;
    QCOMPARE(merge.problems().entries().size(), 0);
    QCOMPARE(summary.exitStatus(), 0);
    // The samples hold both kinds of empty that the formats tell apart.
    int notApplicable = 0, unanswered = 0;
    for (const Sample &s : samples_)
        for (const Column &c : columns_) {
            notApplicable += stateOf(c, s) == State::NotApplicable && !isTextColumn(c);
            unanswered += c.kind == Column::Flag && stateOf(c, s) == State::Blank;
        }
    QVERIFY(notApplicable > 0 && unanswered > 0);
    // Random values: records with findings and, with names that differ, none of the same enterprise.
    QVERIFY(std::any_of(samples_.begin(), samples_.end(), [](const Sample &s) { return !s.checks.isEmpty(); }));
    QCOMPARE(summary.checks, merge.data().findings().size());
    QVERIFY(summary.checks > 0);
}

const Sample &CollectRoundTripTest::sampleOf(const QString &file) const
{
    for (const Sample &s : samples_)
        if (s.file == file)
            return s;
    qFatal("no sample %s", qPrintable(file));
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
    QCOMPARE(sheets.size(), 4);
    QCOMPARE(sheets[0].name, QStringLiteral("数据"));
    QCOMPARE(sheets[1].name, QStringLiteral("变量说明"));
    QCOMPARE(sheets[2].name, QStringLiteral("问题"));
    QCOMPARE(sheets[3].name, QStringLiteral("核查"));
    const OutputReaders::Sheet &data = sheets[0];
    // One header row, so that a reader takes it for the names; the labels are its notes.
    QCOMPARE(data.frozenRows, 1);
    for (int c = 0; c < int(columns_.size()); ++c) {
        QCOMPARE(data.cells.value({0, c}).text, columns_[c].name);
        checkLabel(columns_[c], data.notes.value({0, c}));
    }
    for (int r = 1; r < 1 + int(samples_.size()); ++r) {
        const Sample &s = sampleOf(data.cells.value({r, 0}).text);
        for (int c = 0; c < int(columns_.size()); ++c) {
            const Column &column = columns_[c];
            const QString expected = textOf(column, s);
            const bool present = data.cells.contains({r, c});
            QCOMPARE(present, !expected.isEmpty()); // missing and 不适用 alike are empty
            if (!present)
                continue;
            const OutputReaders::Cell cell = data.cells.value({r, c});
            QCOMPARE(cell.number, numericInExcel(column));
            if (column.kind == Column::Modified) // days from 1899-12-30
                QCOMPARE(cell.text.toDouble(), secondsFrom(QDate(1899, 12, 30), s.modified) / 86400);
            else if (cell.number)
                QCOMPARE(cell.text.toDouble(), expected.trimmed().toDouble());
            else
                QCOMPARE(cell.text, expected);
        }
    }
    QCOMPARE(sheets[1].cells.value({0, 0}).text, QStringLiteral("variable"));
    for (int c = 0; c < int(columns_.size()); ++c) {
        QCOMPARE(sheets[1].cells.value({c + 1, 0}).text, columns_[c].name);
        // The line, a number, so that the rows sort by it.
        const OutputReaders::Cell line = sheets[1].cells.value({c + 1, 1});
        QCOMPARE(line.number, columns_[c].line != nullptr);
        QCOMPARE(line.text, columns_[c].line ? QString::number(columns_[c].line->number) : QString());
    }
    QCOMPARE(sheets[2].cells.value({0, 0}).text, QStringLiteral("file"));
    QVERIFY(!sheets[2].cells.contains({1, 0}));
    // Each header row filters the rows under it: the last column A…Z, AA…
    auto columnName = [](int index) {
        QString name;
        for (int n = index + 1; n > 0; n = (n - 1) / 26)
            name.prepend(QChar(u'A' + (n - 1) % 26));
        return name;
    };
    QCOMPARE(columnName(0), QStringLiteral("A"));
    QCOMPARE(columnName(26), QStringLiteral("AA"));
    QCOMPARE(data.autoFilter,
             QStringLiteral("A1:%1%2").arg(columnName(int(columns_.size()) - 1)).arg(1 + samples_.size()));
    QCOMPARE(sheets[1].autoFilter, QStringLiteral("A1:G%1").arg(1 + columns_.size()));
    QCOMPARE(sheets[2].autoFilter, QStringLiteral("A1:F1"));
}

void CollectRoundTripTest::stat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("labelCharacters"); // how much of a variable label the format keeps
    if (!OutputReaders::spssAndStataBuiltIn())
        QSKIP("SPSS and Stata files need ReadStat, which this build lacks");
    QTest::newRow("SPSS") << "sav" << -1;
    QTest::newRow("Stata") << "dta" << 80;
}

void CollectRoundTripTest::stat()
{
    QFETCH(QString, format);
    QFETCH(int, labelCharacters);
    const bool spss = format == QLatin1String("sav");
    const OutputReaders::StatFile file = OutputReaders::readStat(output(format.toLatin1().constData()), format);
    QVERIFY2(file.ok, qPrintable(file.error));
    QCOMPARE(file.variables.size(), columns_.size());
    QCOMPARE(file.rows.size(), samples_.size());
    for (qsizetype c = 0; c < columns_.size(); ++c) {
        const Column &column = columns_[c];
        const OutputReaders::StatVariable &v = file.variables[c];
        QCOMPARE(v.name, column.name);
        QCOMPARE(v.isString, isTextColumn(column));
        const qsizetype kept = labelCharacters > 0 && v.label.size() >= labelCharacters ? labelCharacters : -1;
        checkLabel(column, v.label, kept);
        checkValueLabels(column, file.labelSets.value(v.labelSet), spss ? -1 : -'a', spss);
        if (!spss && column.kind == Column::Number)
            QVERIFY2(v.labelSet.isEmpty(), qPrintable(column.name));
        if (spss)
            QCOMPARE(v.missing, gated(column) && !isTextColumn(column) ? QList<double>{-1} : QList<double>{});
    }
    // Strings are as wide as their longest value.
    for (qsizetype c = 0; c < columns_.size(); ++c) {
        if (!file.variables[c].isString)
            continue;
        qsizetype longest = 1;
        for (const Sample &s : samples_)
            longest = std::max(longest, textOf(columns_[c], s).toUtf8().size());
        // ReadStat gives a Stata str's width with room for a terminating NUL;
        // SPSS rounds widths up to its 8-byte segments.
        if (!spss) {
            QCOMPARE(file.variables[c].storageWidth, int(longest) + 1);
            QCOMPARE(file.variables[c].format, QStringLiteral("%%1s").arg(longest));
        } else {
            QVERIFY(file.variables[c].storageWidth >= longest);
            QCOMPARE(file.variables[c].format, QStringLiteral("A%1").arg(longest));
        }
    }
    // Figures show the decimals seen: 1.23456789 is not shown as 1.23.
    for (qsizetype c = 0; c < columns_.size() && spss; ++c) {
        if (columns_[c].kind != Column::Number)
            continue;
        int whole = 1, decimals = 0;
        for (const Sample &s : samples_) {
            const QString text = textOf(columns_[c], s).trimmed();
            const qsizetype point = text.indexOf(QLatin1Char('.'));
            whole = std::max(whole, int(point < 0 ? text.size() : point));
            decimals = std::max(decimals, point < 0 ? 0 : int(text.size() - point - 1));
        }
        const int width = std::max(whole + (decimals > 0 ? decimals + 1 : 0), gated(columns_[c]) ? 2 : 1);
        QCOMPARE(file.variables[c].format, QStringLiteral("F%1.%2").arg(width).arg(decimals));
    }
    if (spss) {
        const QHash<QString, QString> levels{{"company_type", "nominal"},  {"company_age", "ordinal"},
                                             {"report_length", "ordinal"}, {"industry", "nominal"},
                                             {"revenue_2013", "scale"},    {"q21_rank_of_a", "ordinal"},
                                             {"q01_a", "nominal"},         {"file_modified", "scale"}};
        for (const OutputReaders::StatVariable &v : file.variables)
            if (levels.contains(v.name))
                QCOMPARE(v.measure, levels.value(v.name));
    }
    for (const QList<QVariant> &row : file.rows) {
        const Sample &s = sampleOf(row[0].toString());
        for (qsizetype c = 0; c < columns_.size(); ++c) {
            QVariant expected = statCell(columns_[c], s);
            if (expected.typeId() == QMetaType::QChar && spss)
                expected = -1.0;
            if (columns_[c].kind == Column::Modified && !spss)
                expected = (secondsFrom(QDate(1960, 1, 1), s.modified)) * 1000;
            // ReadStat's reader drops blanks at the end of a text (SPSS pads
            // texts with blanks, so they cannot be told apart there anyway).
            if (expected.typeId() == QMetaType::QString)
                QCOMPARE(row[c].toString(), withoutTrailingBlanks(expected.toString()));
            else if (expected.typeId() == QMetaType::QChar)
                QCOMPARE(row[c], expected);
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
    QCOMPARE(rows.value(0), (QStringList{"variable", "line", "label", "type", "unit", "values", "missing"}));
    QCOMPARE(rows.size(), 1 + columns_.size());
    for (qsizetype c = 0; c < columns_.size(); ++c) {
        const Column &column = columns_[c];
        const QStringList &row = rows[c + 1];
        QCOMPARE(row[0], column.name);
        QCOMPARE(row[1], column.line ? QString::number(column.line->number) : QString());
        checkLabel(column, row[2]);
        QCOMPARE(row[4], column.line ? column.line->unit : QString());
        if (column.kind == Column::List) // every item with its number
            for (int i = 0; i < int(column.line->items.size()); ++i)
                QVERIFY(row[5].contains(QStringLiteral("%1=%2").arg(i + 1).arg(column.line->items[i])));
        // Which variables can be 不适用 (.a in Stata, where a figure has no value
        // label to say so), and which are missing when a question is not answered.
        QCOMPARE(row[6].contains(QStringLiteral("不适用")), gated(column));
        QCOMPARE(row[6].contains(QStringLiteral("Stata 中为 .a")), gated(column) && !isTextColumn(column));
        QCOMPARE(row[6].contains(QStringLiteral("未作答")),
                 column.kind == Column::Flag && column.line->page == Survey::PageId::Questionnaire);
    }
}

QTEST_GUILESS_MAIN(CollectRoundTripTest)
#include "tst_collect_roundtrip.moc"
