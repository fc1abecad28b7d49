// The collector's report: its figures, overall and by group, against the CSV
// of the same run, recomputed here; what a reader sees (no text cut, axes of
// counts in whole steps, unique ids, the survey's words and not the data
// set's names); the HTML in a real browser; the PDF through poppler; the
// program itself writing both; the report committed with the other outputs,
// or none of them; and the window's report box and grouping.
#include "collect/cli/CommandLine.h"
#include "collect/data/DataSet.h"
#include "collect/report/ReportCells.h"
#include "collect/report/ReportChart.h"
#include "collect/report/ReportContent.h"
#include "collect/report/ReportPages.h"
#include "collect/window/CollectWindow.h"
#include "survey/DataChecks.h"
#include "survey/LineMap.h"
#include "tests/collect/CommandLineRun.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/CollectTestMain.h"
#include "tests/support/DiskFullFor.h"
#include "tests/support/FilesIn.h"
#include "tests/support/TestSystem.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>

namespace {

constexpr int kRecords = 150;
constexpr quint32 kSeed = 20141017;
// Texts given for "其他" by more than one enterprise.
const QString kRepeatedOther = QStringLiteral("社区共建");

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every figure the report's HTML tables carry: "variable|stat" → value.
QHash<QString, QString> reportFigures(const QString &html)
{
    QHash<QString, QString> figures;
    static const QRegularExpression cell(
        QStringLiteral("data-var=\"([^\"]*)\" data-stat=\"([^\"]*)\" data-value=\"([^\"]*)\""));
    for (auto it = cell.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        figures.insert(OutputReaders::unescapeHtml(m.captured(1)) + QLatin1Char('|') +
                           OutputReaders::unescapeHtml(m.captured(2)),
                       m.captured(3));
    }
    return figures;
}

// Every figure of a breakdown, as the HTML's cells say it.
struct GroupedFigure {
    QString variable;
    QString stat;
    QString by;    // the grouping variable
    QString group; // its value as SPSS holds it, or na, blank
    double value;
};

QList<GroupedFigure> groupedFigures(const QString &html)
{
    QList<GroupedFigure> figures;
    static const QRegularExpression cell(QStringLiteral(
        "data-var=\"([^\"]*)\" data-stat=\"([^\"]*)\" data-value=\"([^\"]*)\" data-group=\"([^\"=]*)=([^\"]*)\""));
    for (auto it = cell.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        figures.append({m.captured(1), m.captured(2), m.captured(4), m.captured(5), m.captured(3).toDouble()});
    }
    return figures;
}

// The texts a reader sees: the text between tags, outside the style sheet, unescaped.
QStringList prose(QString html)
{
    html.remove(
        QRegularExpression(QStringLiteral("<style>.*</style>"), QRegularExpression::DotMatchesEverythingOption));
    QStringList texts;
    static const QRegularExpression between(QStringLiteral(">([^<]+)<"));
    for (auto it = between.globalMatch(html); it.hasNext();)
        texts << OutputReaders::unescapeHtml(it.next().captured(1));
    return texts;
}

// A CSV as columns by name.
QHash<QString, QStringList> columns(const QString &path)
{
    QFile file(path);
    QList<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly) || !OutputReaders::parseCsv(file.readAll(), rows) || rows.isEmpty())
        return {};
    QHash<QString, QStringList> byName;
    for (qsizetype c = 0; c < rows.front().size(); ++c)
        for (qsizetype r = 1; r < rows.size(); ++r)
            byName[rows.front()[c]].append(rows[r].value(c));
    return byName;
}

// The p-th quantile by the definition of Hyndman and Fan's type 7, 1-based.
double quantileOf(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const double h = (double(values.size()) - 1) * p + 1;
    const qsizetype lo = qsizetype(std::floor(h));
    const double x = values[lo - 1];
    return lo < values.size() ? x + (h - double(lo)) * (values[lo] - x) : x;
}

bool close(double a, double b)
{
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::abs(b));
}

// A hand-made data set: five listed enterprises and two unlisted (a small
// group), each with a foundation; 营业收入 2013 and 2014 as given ("" for none).
Report::Content handMade()
{
    const QList<std::array<const char *, 3>> records = {
        {"1", "10", "20"}, {"1", "20", "40"}, {"1", "30", "60"}, {"1", "40", "80"},
        {"1", "", "100"},  {"9", "7", ""},    {"9", "9", ""}};
    DataSet data;
    for (qsizetype i = 0; i < records.size(); ++i) {
        QStringList lines = SampleRecords::blankLines(QStringLiteral("甲%1").arg(i));
        const auto set = [&](const char *variable, const char *value) {
            lines[Survey::lineByVariable(QString::fromLatin1(variable))->number - 1] = QString::fromLatin1(value);
        };
        set("listed", records[i][0]);
        set("foundation", "1");
        set("revenue_2013", records[i][1]);
        set("revenue_2014", records[i][2]);
        DataSet::Record record;
        for (const QString &line : lines)
            record.text += line.toUtf8() + '\n';
        data.append(record);
    }
    return Report::build({data, {}, {}, {}, QDateTime::currentDateTime(), {QStringLiteral("listed")}});
}

// Every figure of a content, wherever it stands: "variable|stat|group" → its values.
QMultiHash<QString, double> contentFigures(const Report::Content &content)
{
    QMultiHash<QString, double> out;
    auto add = [&](const Report::Table &t) {
        for (const QList<Report::Cell> &row : t.rows)
            for (const Report::Cell &c : row) {
                const QString where = c.variable + QLatin1Char('|');
                if (!c.stat.isEmpty())
                    out.insert(where + c.stat + QLatin1Char('|') + c.group, c.value.toDouble());
                if (c.hasShare())
                    out.insert(where + c.share.stat + QLatin1Char('|') + c.group, c.share.value.toDouble());
            }
    };
    for (const Report::Section &section : content.sections)
        for (const Report::Block &b : section.blocks) {
            add(b.table);
            for (const Report::Part &part : b.parts)
                for (const Report::Table &t : part.tables)
                    add(t);
        }
    return out;
}

using CommandLineRun::Run;

template <typename T> T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

} // namespace

class CollectReportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void figuresMatchTheCsv_data();
    void figuresMatchTheCsv();
    void opensOfflineInABrowser();
    void pdfHasItsSectionsOnPagesOfTheirOwn();
    void checksListErrorsFirst();
    void questionTwentyOnesCharts_data();
    void questionTwentyOnesCharts();
    void readersView_data();
    void readersView();
    void breakdownsMatchTheCsv();
    void aBreakdownsWholeIsTheOverallFigure_data();
    void aBreakdownsWholeIsTheOverallFigure();
    void figuresByGroupOfAHandMadeSet_data();
    void figuresByGroupOfAHandMadeSet();
    void aSmallGroupIsDrawnLighter();
    void usage_data();
    void usage();
    void theProgramWritesBoth();
    void aWideTableKeepsEachFigureWhole();
    void aHeadingStaysWithWhatFollows_data();
    void aHeadingStaysWithWhatFollows();
    void aReportThatCannotBeWrittenReplacesNothing_data();
    void aReportThatCannotBeWrittenReplacesNothing();
    void interruptedWhileTheReportIsDrawn();
    void aClosedOutputEndsNothing();
    void fromTheWindow();

private:
    QString out(const QString &name) const { return dir_.path() + QStringLiteral("/out/") + name; }
    // A folder of its own holding one earlier file of the given name.
    QString folderWithEarlier(const QString &folder, const QString &name) const;

    QTemporaryDir dir_;
    QString input_;
    QString html_;
    QString byGroupHtml_; // broken down by two variables
    QHash<QString, QString> figures_;
    QHash<QString, QStringList> values_; // as SPSS and Stata read them: codes as numbers, 不适用 as -1
    QHash<QString, QStringList> texts_;  // as people read them
};

// Random records, a few with the same "其他" text, one identical copy and one
// file that is no result file; merged once to CSV, the values CSV and both reports.
void CollectReportTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    input_ = dir_.path() + QStringLiteral("/in/");
    QVERIFY(QDir().mkpath(input_));
    QVERIFY(QDir().mkpath(dir_.path() + QStringLiteral("/out")));
    QRandomGenerator rng(kSeed);
    const Survey::Line *other = Survey::lineByVariable(u"q23_other");
    QVERIFY(other);
    for (int i = 0; i < kRecords; ++i) {
        AnswerRecord record = SampleRecords::make(rng, i);
        if (i < 3) { // "其他" of question 23 ticked, with one text
            const Survey::Line &codes = Survey::line(other->gateLine);
            QString ticks = SampleRecords::lines(record)[codes.number - 1];
            ticks[other->gatePosition] = QLatin1Char('1');
            record.set(codes.number, ticks);
            record.set(other->number, i < 2 ? kRepeatedOther : QStringLiteral("  ") + kRepeatedOther);
        }
        const QString path = SampleRecords::write(record, input_);
        if (i == 0)
            QVERIFY(QFile::copy(path, input_ + QStringLiteral("copy.dbf")));
    }
    QFile broken(input_ + QStringLiteral("broken.dbf"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a result file\r\n");
    broken.close();

    const Run run = CommandLineRun::here(
        {QStringLiteral("-q"), input_, QStringLiteral("-o"), out(QStringLiteral("汇总.csv")), QStringLiteral("-o"),
         out(QStringLiteral("汇总.sps")), QStringLiteral("--report"), out(QStringLiteral("报告.html")),
         QStringLiteral("--report"), out(QStringLiteral("报告.pdf"))});
    QCOMPARE(run.exitCode, 1); // the broken file
    const Run byGroup = CommandLineRun::here(
        {QStringLiteral("-q"), input_, QStringLiteral("--report"), out(QStringLiteral("分组.html")),
         QStringLiteral("--report"), out(QStringLiteral("分组.pdf")), QStringLiteral("--report-by"),
         QStringLiteral("listed"), QStringLiteral("--report-by"), QStringLiteral("company_type"),
         QStringLiteral("--report-by"), QStringLiteral("industry")});
    QCOMPARE(byGroup.exitCode, 1);
    byGroupHtml_ = readText(out(QStringLiteral("分组.html")));
    html_ = readText(out(QStringLiteral("报告.html")));
    figures_ = reportFigures(html_);
    values_ = columns(out(QStringLiteral("汇总_values.csv")));
    texts_ = columns(out(QStringLiteral("汇总.csv")));
    QVERIFY(!figures_.isEmpty());
    QCOMPARE(values_.value(QStringLiteral("file")).size(), kRecords);
}

// Each row: the statistics of one kind of question, by the names the report gives them.
void CollectReportTest::figuresMatchTheCsv_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("cover") << "cover";
    QTest::newRow("single choices, list picks, yes/no") << "choice";
    QTest::newRow("tick questions") << "ticks";
    QTest::newRow("question 21's ranking") << "ranking";
    QTest::newRow("figures") << "figures";
    QTest::newRow("2013 to 2014") << "change";
    QTest::newRow("其他 texts") << "others";
}

void CollectReportTest::figuresMatchTheCsv()
{
    QFETCH(QString, kind);
    auto present = [](const QString &cell) { return !cell.isEmpty() && cell != QLatin1String("-1"); };
    auto numbers = [&](const QString &name) {
        QList<double> out;
        for (const QString &cell : values_.value(name))
            if (present(cell))
                out << cell.toDouble();
        return out;
    };
    auto countWhere = [&](const QString &name, auto &&test) {
        const QStringList cells = values_.contains(name) ? values_.value(name) : texts_.value(name);
        return double(std::count_if(cells.begin(), cells.end(), test));
    };
    // The findings of the checks of one severity, as the data checks section counts them.
    auto findingsOf = [&](DataChecks::Severity severity) {
        double n = 0;
        for (const DataChecks::Check &check : DataChecks::all())
            if (check.severity == severity)
                n += figures_.value(QStringLiteral("checks|%1:findings").arg(check.id)).toDouble();
        return n;
    };
    // What this test makes of one figure of the report; NaN for one it does not know.
    auto expected = [&](const QString &name, const QString &stat) -> double {
        const QStringList cells = values_.value(name);
        const double answered = countWhere(name, present);
        if (kind == QLatin1String("cover")) {
            if (stat == QLatin1String("found"))
                return kRecords + 2;
            if (stat == QLatin1String("accepted"))
                return texts_.value(QStringLiteral("file")).size();
            if (stat == QLatin1String("rejected") || stat == QLatin1String("duplicates"))
                return 1;
            if (stat == QLatin1String("files_with_findings"))
                return countWhere(QStringLiteral("checks"), [](const QString &c) { return !c.isEmpty(); });
            if (stat == QLatin1String("errors") || stat == QLatin1String("doubts"))
                return findingsOf(stat == QLatin1String("errors") ? DataChecks::Severity::Error
                                                                  : DataChecks::Severity::Doubt);
            return qQNaN();
        }
        if (stat == QLatin1String("na"))
            return countWhere(name, [](const QString &c) { return c == QLatin1String("-1"); });
        if (stat == QLatin1String("blank"))
            return countWhere(name, [](const QString &c) { return c.isEmpty(); });
        if (kind == QLatin1String("choice")) {
            const QString value = stat.section(u':', 1);
            const double n = countWhere(name, [&](const QString &c) { return c == value; });
            return stat.startsWith(QLatin1String("count:")) ? n : n / answered;
        }
        if (kind == QLatin1String("ticks")) {
            const double ticked = countWhere(name, [](const QString &c) { return c == QLatin1String("1"); });
            return stat == QLatin1String("count")   ? ticked
                   : stat == QLatin1String("share") ? ticked / answered
                                                    : answered;
        }
        if (kind == QLatin1String("ranking")) {
            const QList<double> ranks = numbers(name);
            if (stat == QLatin1String("ranked"))
                return double(ranks.size());
            if (stat == QLatin1String("mean_rank"))
                return std::accumulate(ranks.begin(), ranks.end(), 0.0) / double(ranks.size());
            if (stat == QLatin1String("unranked"))
                return double(cells.size() - ranks.size());
            // At rank k: the option is the k-th letter of the order, as q21_rankk holds it.
            const QString letter = QString::number(name.back().unicode() - u'a' + 1);
            return countWhere(QStringLiteral("q21_rank") + stat.section(u':', 1),
                              [&](const QString &c) { return c == letter; });
        }
        if (kind == QLatin1String("figures")) {
            const QList<double> x = numbers(name);
            if (stat == QLatin1String("n"))
                return double(x.size());
            const double sum = std::accumulate(x.begin(), x.end(), 0.0);
            if (stat == QLatin1String("sum"))
                return sum;
            if (stat == QLatin1String("mean"))
                return sum / double(x.size());
            const QHash<QString, double> at{{"min", 0}, {"q1", 0.25}, {"median", 0.5}, {"q3", 0.75}, {"max", 1}};
            return quantileOf(x, at.value(stat));
        }
        if (kind == QLatin1String("change")) {
            const QStringList earlier = values_.value(name.chopped(4) + QStringLiteral("2013"));
            QList<double> changes;
            for (qsizetype r = 0; r < cells.size(); ++r)
                if (present(cells[r]) && present(earlier[r]))
                    changes << cells[r].toDouble() - earlier[r].toDouble();
            if (stat == QLatin1String("both"))
                return double(changes.size());
            if (stat == QLatin1String("median_change"))
                return quantileOf(changes, 0.5);
            return double(std::count_if(changes.begin(), changes.end(), [&](double d) {
                return stat == QLatin1String("rises") ? d > 0 : stat == QLatin1String("falls") ? d < 0 : d == 0;
            }));
        }
        const QStringList given = texts_.value(name);
        if (stat == QLatin1String("other_texts")) { // those not listed one by one
            double listed = 0;
            for (auto it = figures_.begin(); it != figures_.end(); ++it)
                if (it.key().startsWith(name + QStringLiteral("|text:")))
                    listed += it.value().toDouble();
            return double(std::count_if(given.begin(), given.end(), [](const QString &c) { return !c.isEmpty(); })) -
                   listed;
        }
        const QString words = stat.mid(5);
        return double(
            std::count_if(given.begin(), given.end(), [&](const QString &c) { return c.trimmed() == words; }));
    };
    // Which of the report's statistics belong to this kind.
    auto ofKind = [&](const QString &name, const QString &stat) {
        if (name == QLatin1String("files") || name == QLatin1String("checks"))
            return kind == QLatin1String("cover");
        if (stat.startsWith(QLatin1String("text:")) || stat == QLatin1String("other_texts"))
            return kind == QLatin1String("others");
        if (QStringList{"both", "median_change", "rises", "falls", "same"}.contains(stat))
            return kind == QLatin1String("change");
        if (stat == QLatin1String("ranked") || stat == QLatin1String("mean_rank") ||
            stat == QLatin1String("unranked") || stat.startsWith(QLatin1String("rank:")))
            return kind == QLatin1String("ranking");
        if (stat.startsWith(QLatin1String("count:")) || stat.startsWith(QLatin1String("share:")))
            return kind == QLatin1String("choice");
        if (stat == QLatin1String("count") || stat == QLatin1String("share") || stat == QLatin1String("answered"))
            return kind == QLatin1String("ticks");
        if (stat == QLatin1String("na") || stat == QLatin1String("blank"))
            return kind == (values_.contains(name) && Survey::lineByVariable(name) &&
                                    Survey::lineByVariable(name)->kind == Survey::LineKind::Number
                                ? QLatin1String("figures")
                                : QLatin1String("choice"));
        return kind == QLatin1String("figures");
    };
    int compared = 0;
    for (auto it = figures_.begin(); it != figures_.end(); ++it) {
        const QString name = it.key().section(u'|', 0, 0);
        const QString stat = it.key().section(u'|', 1);
        if (!ofKind(name, stat))
            continue;
        const double want = expected(name, stat);
        if (kind == QLatin1String("cover") && std::isnan(want))
            continue;
        if (!close(it.value().toDouble(), want))
            QFAIL(qPrintable(QStringLiteral("%1 %2: the report says %3, the CSV gives %4")
                                 .arg(name, stat, it.value())
                                 .arg(want, 0, 'g', 15)));
        ++compared;
    }
    QVERIFY2(compared > 0, "the report has no figure of this kind");
    if (kind == QLatin1String("others")) // the same text, blanks around or not, counted once with its count
        QCOMPARE(figures_.value(QStringLiteral("q23_other|text:") + kRepeatedOther), QStringLiteral("3"));
    if (kind == QLatin1String("ticks")) // question 1's limit is said
        QVERIFY(html_.contains(QStringLiteral("本题最多选 3 项")));
}

// Chromium opens the file with the network shut off, logs no error, and the
// first chart is drawn where it stands.
void CollectReportTest::opensOfflineInABrowser()
{
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty())
        QSKIP("chromium is not installed (Debian: apt-get install chromium); the report was not opened in a browser");
    // Nothing in the file reaches out: no source or link outside it.
    static const QRegularExpression outside(QStringLiteral("(src|href)=\"(?!#)"));
    QVERIFY(!html_.contains(outside));
    QVERIFY(!html_.contains(QLatin1String("<script")));

    const QString shot = dir_.path() + QStringLiteral("/shot.png");
    QProcess browser;
    browser.start(chromium, {QStringLiteral("--headless"), QStringLiteral("--disable-gpu"),
                             QStringLiteral("--no-sandbox"), QStringLiteral("--enable-logging=stderr"),
                             QStringLiteral("--v=0"), QStringLiteral("--proxy-server=127.0.0.1:9"),
                             QStringLiteral("--user-data-dir=") + dir_.path() + QStringLiteral("/chromium"),
                             QStringLiteral("--window-size=1000,2400"), QStringLiteral("--screenshot=") + shot,
                             QUrl::fromLocalFile(out(QStringLiteral("报告.html"))).toString()});
    QVERIFY(browser.waitForFinished(120000));
    const QString log = QString::fromUtf8(browser.readAllStandardError());
    QCOMPARE(browser.exitCode(), 0);
    static const QRegularExpression consoleError(QStringLiteral("CONSOLE\\(\\d+\\)|Uncaught|net::ERR_"));
    QVERIFY2(!log.contains(consoleError), qPrintable(log));

    // The first chart stands below the cover and the first table, within the
    // first screens: its bars, in the report's first colour, fill part of them.
    const QImage image(shot);
    QVERIFY(!image.isNull());
    qsizetype bar = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            bar += std::abs(c.red() - 0x2b) < 24 && std::abs(c.green() - 0x6c) < 24 && std::abs(c.blue() - 0xb0) < 24;
        }
    QVERIFY2(bar > 5000, qPrintable(QStringLiteral("%1 pixels of bars").arg(bar)));
}

// pdftotext finds each section's title at the top of a page, pdffonts finds
// the fonts embedded, and pdftoppm draws the first page.
// In each table of the data checks, every "错误" (on one line) comes before
// every "疑问"; the files with any finding are counted.
void CollectReportTest::checksListErrorsFirst()
{
    const QString checks = html_.section(QStringLiteral("<h1>数据核查</h1>"), 1);
    const QStringList tables = checks.split(QStringLiteral("<table>")).mid(1);
    QCOMPARE(tables.size(), 2);
    static const QRegularExpression severity(QStringLiteral("<td class=\"w\">(错误|疑问)</td>"));
    for (const QString &table : tables) {
        QString order;
        for (auto it = severity.globalMatch(table); it.hasNext();)
            order += it.next().captured(1).front();
        QVERIFY2(!order.isEmpty() && !order.contains(QStringLiteral("疑错")), qPrintable(order));
    }
    const QStringList given = texts_.value(QStringLiteral("checks"));
    const qsizetype files = std::count_if(given.begin(), given.end(), [](const QString &c) { return !c.isEmpty(); });
    QVERIFY(files > 0);
    QVERIFY(checks.contains(QStringLiteral("有发现的文件 %1 个（共 %2 个）").arg(files).arg(given.size())));
}

void CollectReportTest::questionTwentyOnesCharts_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("mean rank, on an axis of the ranks") << QStringLiteral("平均名次（越小越靠前）");
    QTest::newRow("shares at each rank") << QStringLiteral("各选项排在第几位（占排序企业的比例）");
}

// The mean rank's axis runs over the ranks, 1 to 5. Each option's bar of
// shares spans the whole axis (ranked at some rank, or not), its first part
// the share of those who ranked that put it first.
void CollectReportTest::questionTwentyOnesCharts()
{
    QFETCH(QString, title);
    static const QRegularExpression svg(QStringLiteral("<svg.*?</svg>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    QString chart;
    for (auto it = svg.globalMatch(html_); it.hasNext() && chart.isEmpty();) {
        const QString found = it.next().captured(0);
        if (found.contains(QStringLiteral("<title>") + title + QStringLiteral("</title>")))
            chart = found;
    }
    QVERIFY(!chart.isEmpty());
    QStringList ticks;
    static const QRegularExpression tick(QStringLiteral("<text[^>]*class=\"tick\"[^>]*>([^<]*)</text>"));
    for (auto it = tick.globalMatch(chart); it.hasNext();)
        ticks << it.next().captured(1);
    if (title.startsWith(QStringLiteral("平均名次"))) {
        QCOMPARE(ticks, (QStringList{"1", "2", "3", "4", "5"}));
        return;
    }
    QCOMPARE(ticks.back(), QStringLiteral("100%"));
    static const QRegularExpression grid(QStringLiteral("<line x1=\"([0-9.]+)\" y1"));
    QList<double> lines;
    for (auto it = grid.globalMatch(chart); it.hasNext();)
        lines << it.next().captured(1).toDouble();
    const double width = lines[ticks.size() - 1] - lines[0];
    QMap<double, QList<double>> bars; // by their top: the parts' widths
    static const QRegularExpression part(
        QStringLiteral("<rect x=\"[0-9.]+\" y=\"([0-9.]+)\" width=\"([0-9.]+)\" height=\"18\""));
    for (auto it = part.globalMatch(chart); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bars[m.captured(1).toDouble()] << m.captured(2).toDouble();
    }
    QCOMPARE(bars.size(), 5);
    for (const QList<double> &parts : bars)
        QVERIFY(std::abs(std::accumulate(parts.begin(), parts.end(), 0.0) - width) < 1);
    const QStringList first = values_.value(QStringLiteral("q21_rank1"));
    const double ranked =
        double(std::count_if(first.begin(), first.end(), [](const QString &c) { return !c.isEmpty(); }));
    const double optionA = double(first.count(QStringLiteral("1")));
    QVERIFY(std::abs(bars.first().front() / width - optionA / ranked) < 0.005);
}

void CollectReportTest::pdfHasItsSectionsOnPagesOfTheirOwn()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("poppler-utils is not installed (Debian: apt-get install poppler-utils); the PDF was not read back");
    const QString pdf = out(QStringLiteral("报告.pdf"));
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    QCOMPARE(text.exitCode(), 0);
    const QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
    QStringList tops;
    for (const QString &page : pages)
        tops << page.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    for (const QString &title :
         {QStringLiteral("2014年度全国Kelmar民营企业社会责任调研填报 · 汇总报告"), QStringLiteral("填报企业"),
          QStringLiteral("一.企业概况"), QStringLiteral("二.绩效数据"), QStringLiteral("三.企业履责现状")})
        QVERIFY2(std::any_of(tops.begin(), tops.end(),
                             [&](const QString &top) { return !top.isEmpty() && title.startsWith(top); }),
                 qPrintable(title + QStringLiteral(" does not open a page")));
    // Page numbers close each page.
    QCOMPARE(pages[1].trimmed().section(QLatin1Char('\n'), -1).trimmed(), QStringLiteral("2"));
    // The contents follow the cover; each entry's page holds its title.
    QCOMPARE(tops[1], QStringLiteral("目录"));
    static const QRegularExpression entry(QStringLiteral("^\\s*(\\S.*\\S)\\s{2,}(\\d+)$"),
                                          QRegularExpression::MultilineOption);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    int entries = 0;
    for (qsizetype p = 1; p < pages.size() && tops[p] != QStringLiteral("填报企业"); ++p)
        for (auto it = entry.globalMatch(pages[p]); it.hasNext(); ++entries) {
            const QRegularExpressionMatch m = it.next();
            const QString target = pages.value(m.captured(2).toInt() - 1);
            QVERIFY2(QString(target).remove(blanks).contains(m.captured(1).remove(blanks)), qPrintable(m.captured(0)));
        }
    QVERIFY(entries > 50);

    QProcess fonts;
    fonts.start(QStandardPaths::findExecutable(QStringLiteral("pdffonts")), {pdf});
    QVERIFY(fonts.waitForFinished(60000));
    const QStringList fontLines = QString::fromUtf8(fonts.readAllStandardOutput()).split(QLatin1Char('\n'));
    QVERIFY(fontLines.size() > 3);
    for (const QString &line : fontLines.mid(2))
        if (!line.trimmed().isEmpty())
            QVERIFY2(line.contains(QLatin1String(" yes ")), qPrintable(line)); // emb column

    QProcess draw;
    draw.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
               {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"), QStringLiteral("-f"),
                QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, dir_.path() + QStringLiteral("/page")});
    QVERIFY(draw.waitForFinished(60000));
    QCOMPARE(draw.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(draw.readAllStandardError()), QString());
    const QImage page(dir_.path() + QStringLiteral("/page.png"));
    QVERIFY(!page.isNull());
    QVERIFY(page.width() < page.height()); // A4 upright
}

void CollectReportTest::readersView_data()
{
    QTest::addColumn<bool>("byGroup");
    QTest::newRow("overall") << false;
    QTest::newRow("broken down by two variables") << true;
}

// What a reader sees: every chart text whole, every axis of counts in whole
// numbers at equal steps, no id twice, and no name of the data set in the words.
void CollectReportTest::readersView()
{
    QFETCH(bool, byGroup);
    const QString html = byGroup ? byGroupHtml_ : html_;
    QVERIFY(html.contains(QLatin1String("<svg")));

    QStringList ids;
    static const QRegularExpression id(QStringLiteral("\\sid=\"([^\"]*)\""));
    for (auto it = id.globalMatch(html); it.hasNext();)
        ids << it.next().captured(1);
    QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), ids.size());

    static const QRegularExpression svg(QStringLiteral("<svg.*?</svg>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression text(QStringLiteral("<text([^>]*)>([^<]*)</text>"));
    int countAxes = 0;
    for (auto charts = svg.globalMatch(html); charts.hasNext();) {
        const QString chart = charts.next().captured(0);
        QList<double> ticks;
        bool counts = false;
        for (auto texts = text.globalMatch(chart); texts.hasNext();) {
            const QRegularExpressionMatch t = texts.next();
            QVERIFY2(!t.captured(2).contains(QStringLiteral("…")) && !t.captured(2).contains(QLatin1String("...")),
                     qPrintable(t.captured(2)));
            if (t.captured(1).contains(QLatin1String("class=\"tick\"")))
                ticks << QString(t.captured(2)).remove(QLatin1Char(',')).remove(QLatin1Char('%')).toDouble();
            if (t.captured(1).contains(QLatin1String("class=\"axis\"")))
                counts = t.captured(2) == QStringLiteral("企业数");
        }
        QVERIFY(ticks.size() >= 2);
        for (qsizetype k = 1; k < ticks.size(); ++k)
            QVERIFY2(std::abs((ticks[k] - ticks[k - 1]) - (ticks[1] - ticks[0])) < 1e-9, qPrintable(chart.left(300)));
        if (counts) {
            ++countAxes;
            for (double tick : ticks)
                QCOMPARE(tick, std::round(tick));
        }
    }
    QVERIFY(countAxes > 0);

    // A figure's statistic shows one number of decimals, overall and in every group.
    QHash<QString, QSet<qsizetype>> decimals;
    static const QRegularExpression figure(
        QStringLiteral("data-var=\"([^\"]*)\" data-stat=\"(n|median|q1|q3)\"[^>]*>([0-9,.-]+)</td>"));
    for (auto it = figure.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString shown = m.captured(3);
        const qsizetype point = shown.indexOf(QLatin1Char('.'));
        decimals[m.captured(1) + QLatin1Char('|') + m.captured(2)].insert(point < 0 ? 0 : shown.size() - point - 1);
    }
    QVERIFY(!decimals.isEmpty());
    for (auto it = decimals.cbegin(); it != decimals.cend(); ++it)
        QVERIFY2(it.value().size() == 1, qPrintable(it.key()));

    // A name of the data set is a word of Latin letters, digits and _; paths say what they say.
    QSet<QString> names;
    const DataSet data;
    for (const DataSet::Variable &v : data.variables())
        names.insert(v.name);
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    for (const QString &words : prose(html)) {
        if (words.contains(QLatin1Char('/')) || words.contains(QLatin1Char('\\')))
            continue;
        for (auto it = word.globalMatch(words); it.hasNext();) {
            const QString found = it.next().captured(0);
            QVERIFY2(!names.contains(found), qPrintable(words));
        }
    }
}

// Each group's counts, shares' bases and quartiles recomputed from the CSV's
// records of that group; and the groups' counts add up to the overall counts.
void CollectReportTest::breakdownsMatchTheCsv()
{
    const QList<GroupedFigure> figures = groupedFigures(byGroupHtml_);
    QVERIFY(!figures.isEmpty());
    auto present = [](const QString &cell) { return !cell.isEmpty() && cell != QLatin1String("-1"); };
    QHash<QString, double> sums; // by|variable|stat → the groups' sum
    QSet<QString> groupsSeen;
    for (const GroupedFigure &f : figures) {
        const QStringList by = values_.value(f.by);
        const QStringList cells = values_.value(f.variable);
        QVERIFY2(!by.isEmpty() && !cells.isEmpty(), qPrintable(f.by + QLatin1Char(' ') + f.variable));
        const QString groupCell = f.group == QLatin1String("blank") ? QString()
                                  : f.group == QLatin1String("na")  ? QStringLiteral("-1")
                                                                    : f.group;
        QStringList inGroup;
        for (qsizetype r = 0; r < cells.size(); ++r)
            if (by[r] == groupCell)
                inGroup << cells[r];
        groupsSeen.insert(f.by + QLatin1Char('=') + f.group);
        auto countOf = [&](auto &&test) { return double(std::count_if(inGroup.begin(), inGroup.end(), test)); };
        double want = qQNaN();
        if (f.stat.startsWith(QLatin1String("count:"))) {
            const QString value = f.stat.section(u':', 1);
            want = countOf([&](const QString &c) { return c == value; });
        } else if (f.stat.startsWith(QLatin1String("share:"))) {
            const QString value = f.stat.section(u':', 1);
            want = countOf([&](const QString &c) { return c == value; }) / countOf(present);
        } else if (f.stat == QLatin1String("count") || f.stat == QLatin1String("share")) {
            want = countOf([](const QString &c) { return c == QLatin1String("1"); }) /
                   (f.stat == QLatin1String("share") ? countOf(present) : 1.0);
        } else if (f.stat == QLatin1String("answered")) {
            want = countOf(present);
        } else if (f.stat == QLatin1String("na")) {
            want = countOf([](const QString &c) { return c == QLatin1String("-1"); });
        } else if (f.stat == QLatin1String("blank")) {
            want = countOf([](const QString &c) { return c.isEmpty(); });
        } else {
            QList<double> x;
            for (const QString &c : inGroup)
                if (present(c))
                    x << c.toDouble();
            const QHash<QString, double> at{{"q1", 0.25}, {"median", 0.5}, {"q3", 0.75}};
            const double sum = std::accumulate(x.begin(), x.end(), 0.0);
            want = f.stat == QLatin1String("n")      ? double(x.size())
                   : f.stat == QLatin1String("sum")  ? sum
                   : f.stat == QLatin1String("mean") ? sum / double(x.size())
                                                     : quantileOf(x, at.value(f.stat));
        }
        if (!close(f.value, want))
            QFAIL(qPrintable(QStringLiteral("%1 %2 in %3=%4: the report says %5, the CSV gives %6")
                                 .arg(f.variable, f.stat, f.by, f.group)
                                 .arg(f.value)
                                 .arg(want)));
        static const QRegularExpression additive(QStringLiteral("^(count.*|answered|na|blank|n|sum)$"));
        if (additive.match(f.stat).hasMatch())
            sums[f.by + QLatin1Char('|') + f.variable + QLatin1Char('|') + f.stat] += f.value;
    }
    QVERIFY(groupsSeen.contains(QStringLiteral("listed=1")) && groupsSeen.contains(QStringLiteral("listed=9")));
    QVERIFY(groupsSeen.contains(QStringLiteral("company_type=4")));
    QVERIFY(groupsSeen.contains(QStringLiteral("industry=19")));
    int added = 0;
    for (auto it = sums.begin(); it != sums.end(); ++it) {
        const QString key = it.key().section(u'|', 1);
        if (!figures_.contains(key))
            continue; // "answered" of a single choice: the overall table gives it as a note
        QVERIFY2(close(it.value(), figures_.value(key).toDouble()), qPrintable(it.key()));
        ++added;
    }
    QVERIFY(added > 100);
}

void CollectReportTest::aBreakdownsWholeIsTheOverallFigure_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("turned");
    QTest::newRow("few groups: a column each") << QStringLiteral("按“企业是否上市”分组") << false;
    QTest::newRow("19 industries: a row each") << QStringLiteral("按“2.所属行业”分组") << true;
}

// Each breakdown of a question opens with all enterprises, whose figures are
// the overall table's; more than six groups make one table of shares and one
// of counts, a row for each group, and one chart. The "其他" texts follow the breakdowns.
void CollectReportTest::aBreakdownsWholeIsTheOverallFigure()
{
    QFETCH(QString, title);
    QFETCH(bool, turned);
    const QString whole = QStringLiteral("全部（共 %1 家）").arg(kRecords);
    static const QRegularExpression overall(
        QStringLiteral("data-var=\"([^\"]*)\" data-stat=\"([^\"]*)\" data-value=\"([^\"]*)\"(?! data-group)"));
    int parts = 0, compared = 0;
    for (const QString &part : byGroupHtml_.split(QStringLiteral("<div class=\"part\">")).mid(1)) {
        const QString body = part.section(QStringLiteral("</div>"), 0, 0);
        if (!part.startsWith(QStringLiteral("\n<h4>") + title) || !body.contains(QStringLiteral("作答的企业")))
            continue; // a figure's breakdown has a row for each group, however few
        ++parts;
        QCOMPARE(body.count(QStringLiteral("<table>")), turned ? 2 : 1);
        QVERIFY(body.count(QStringLiteral("<svg")) <= 1);
        QVERIFY(body.contains(turned ? QStringLiteral("<th>分组</th>") : QStringLiteral("<th>") + whole));
        QCOMPARE(body.contains(QStringLiteral("<td>") + whole), turned);
        for (auto it = overall.globalMatch(body); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString key = m.captured(1) + QLatin1Char('|') + m.captured(2);
            if (figures_.contains(key) && ++compared) // "answered" is a note of the overall table
                QVERIFY2(figures_.value(key) == m.captured(3), qPrintable(key));
        }
    }
    QVERIFY(parts > 20);
    QVERIFY(compared > 5 * parts);
    int others = 0;
    for (const QString &article : byGroupHtml_.split(QStringLiteral("<article>")))
        if (article.contains(QStringLiteral("填写的文字")) && ++others)
            QVERIFY(article.indexOf(QStringLiteral("填写的文字")) > article.lastIndexOf(QStringLiteral("<h4>按“")));
    QVERIFY(others > 0);
}

void CollectReportTest::figuresByGroupOfAHandMadeSet_data()
{
    QTest::addColumn<QString>("figure"); // variable|stat|group, no group for the whole
    QTest::addColumn<double>("value");
    QTest::newRow("a group's n") << "revenue_2013|n|listed=1" << 4.0;
    QTest::newRow("its sum") << "revenue_2013|sum|listed=1" << 100.0;
    QTest::newRow("its mean, the other year") << "revenue_2014|mean|listed=1" << 60.0;
    QTest::newRow("its median") << "revenue_2013|median|listed=1" << 25.0;
    QTest::newRow("its upper quartile") << "revenue_2014|q3|listed=1" << 80.0;
    QTest::newRow("a small group's lower quartile") << "revenue_2013|q1|listed=9" << 7.5;
    QTest::newRow("a group with no figure") << "revenue_2014|n|listed=9" << 0.0;
    QTest::newRow("the whole's median") << "revenue_2013|median|" << 15.0;
    QTest::newRow("the whole's lower quartile") << "revenue_2013|q1|" << 9.25;
    QTest::newRow("a group's share") << "foundation|share:1|listed=9" << 1.0;
}

// Wherever a figure stands (the whole's in the overall table too), it is the one worked out by hand.
void CollectReportTest::figuresByGroupOfAHandMadeSet()
{
    QFETCH(QString, figure);
    QFETCH(double, value);
    const QList<double> found = contentFigures(handMade()).values(figure);
    QVERIFY2(!found.isEmpty(), qPrintable(figure));
    for (double f : found)
        QVERIFY2(close(f, value), qPrintable(QStringLiteral("%1: %2").arg(figure).arg(f)));
}

// The two unlisted enterprises are a small group: its legend says so and its
// colour is lighter; no bar of nothing (every foundation is a 是) says "0.0%".
void CollectReportTest::aSmallGroupIsDrawnLighter()
{
    const Report::Content content = handMade();
    Report::Chart chart;
    for (const Report::Section &section : content.sections)
        for (const Report::Block &b : section.blocks)
            for (const Report::Part &part : b.parts)
                if (b.title.contains(QStringLiteral("基金会")) && !part.charts.isEmpty())
                    chart = part.charts.front();
    QCOMPARE(chart.series.size(), 2);
    auto swatches = [](const Report::Drawing &d) {
        QList<QColor> out;
        for (const Report::Shape &shape : d.shapes)
            if (shape.kind == Report::Shape::Kind::Box && out.size() < 2)
                out << shape.colour;
        return out;
    };
    const Report::Drawing drawn = ReportChart::layout(chart);
    QStringList texts;
    for (const Report::Shape &shape : drawn.shapes)
        texts << shape.text;
    QVERIFY(!texts.contains(QStringLiteral("0.0%")));
    QVERIFY(texts.contains(QStringLiteral("100.0%")));
    QVERIFY(texts.filter(QStringLiteral("样本少")).size() == 1);
    Report::Chart full = chart;
    full.series[1].faint = false;
    const QList<QColor> light = swatches(drawn), strong = swatches(ReportChart::layout(full));
    QCOMPARE(light[0], strong[0]);
    QVERIFY(light[1].lightness() > strong[1].lightness());
}

void CollectReportTest::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a report's extension")
        << QStringList{"--report", "报告.txt"} << 2 << "报告只能写成 .html 或 .pdf";
    QTest::newRow("one path twice") << QStringList{"--report", "报告.html", "--report", "./报告.html"} << 2
                                    << "同一个文件不能写两次";
    QTest::newRow("no folder for it") << QStringList{"--report", "no/such/folder/报告.html"} << 2 << "无法写入";
    QTest::newRow("the report alone") << QStringList{"--report", "alone.html"} << 1 << "";
    QTest::newRow("by a name the data set does not have")
        << QStringList{"--report", "by.html", "--report-by", "sector"} << 2 << "报告不能按“sector”分组";
    QTest::newRow("by a figure") << QStringList{"--report", "by.html", "--report-by", "revenue_2013"} << 2
                                 << "报告不能按“revenue_2013”分组";
    QTest::newRow("a grouping without a report")
        << QStringList{"-o", "by.csv", "--report-by", "listed"} << 2 << "--report-by 只用于报告";
}

void CollectReportTest::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString before = QDir::currentPath();
    QDir::setCurrent(out({}));
    const Run run = CommandLineRun::here(QStringList{QStringLiteral("-q"), input_} + arguments);
    QDir::setCurrent(before);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    if (message.startsWith(QStringLiteral("报告不能按"))) { // one line, and nothing written
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        QVERIFY(!QFileInfo::exists(out(QStringLiteral("by.html"))));
    }
    if (exitCode == 1)
        QVERIFY(readText(out(QStringLiteral("alone.html"))).contains(QLatin1String("<svg")));
}

// The program itself, as a collector starts it (under Wine the Windows build),
// writes the page and the PDF in one run.
void CollectReportTest::theProgramWritesBoth()
{
    const QString folder = dir_.path() + QStringLiteral("/program/");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("in")));
    QRandomGenerator rng(kSeed + 2);
    for (int i = 0; i < 8; ++i)
        SampleRecords::write(SampleRecords::make(rng, i), folder + QStringLiteral("in/"));
    QProcess program;
    program.setWorkingDirectory(folder);
    // Started as a collector starts it: on no platform but the system's own.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CSR_COLLECT_PATH),
                  {QStringLiteral("-q"), QStringLiteral("in"), QStringLiteral("--report"), QStringLiteral("r.html"),
                   QStringLiteral("--report"), QStringLiteral("r.pdf"), QStringLiteral("--report-by"),
                   QStringLiteral("listed")});
    QVERIFY(program.waitForFinished(120000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
    const QString html = readText(folder + QStringLiteral("r.html"));
    QVERIFY(html.contains(QLatin1String("<svg")));
    QVERIFY(html.contains(QLatin1String("data-group=\"listed=")));
    QFile pdf(folder + QStringLiteral("r.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(pdf.size() > 20000);
}

QString CollectReportTest::folderWithEarlier(const QString &folder, const QString &name) const
{
    const QString path = dir_.path() + QLatin1Char('/') + folder + QLatin1Char('/');
    QDir().mkpath(path);
    QFile earlier(path + name);
    if (!earlier.open(QIODevice::WriteOnly) || earlier.write("earlier") != 7)
        qFatal("cannot write %s", qPrintable(path + name));
    return path;
}

// Fifteen columns of five-digit counts do not fit a page at the text's
// size: the PDF still shows every one of them on one line.
void CollectReportTest::aWideTableKeepsEachFigureWhole()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("poppler-utils is not installed (Debian: apt-get install poppler-utils); the PDF was not read back");
    Report::Table table{{QStringLiteral("分组")}, {{Report::text(QStringLiteral("全部（共 2,000 家）"))}}};
    for (int c = 0; c < 14; ++c) {
        table.header << QStringLiteral("%1年以前").arg(2000 + c);
        table.rows[0] << Report::count(QStringLiteral("v"), QStringLiteral("count"), 11170 + c);
    }
    Report::Block block{QString(), QStringLiteral("成立时间")};
    block.table = table;
    const QString path = dir_.path() + QStringLiteral("/wide.pdf");
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::WriteOnly));
    pdf.write(ReportPages::pdf({QStringLiteral("汇总报告"), {}, {{QStringLiteral("填报企业"), {block}}}}));
    pdf.close();
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QString shown = QString::fromUtf8(text.readAllStandardOutput());
    for (int c = 0; c < 14; ++c)
        QVERIFY2(shown.contains(QStringLiteral("11,%1").arg(170 + c)), qPrintable(shown));
}

void CollectReportTest::aHeadingStaysWithWhatFollows_data()
{
    QTest::addColumn<bool>("chart");
    QTest::newRow("a table") << false;
    QTest::newRow("a chart") << true;
}

// Below a title and its notes, a table or a chart of every height from a
// third of a page to a page and more: no page ends with a heading or a note.
void CollectReportTest::aHeadingStaysWithWhatFollows()
{
    QFETCH(bool, chart);
    for (int rows = 12; rows <= 60; rows += 2) {
        Report::Block block{QString(), QStringLiteral("中位数")};
        Report::Part part{QStringLiteral("按“2.所属行业”分组"), {QStringLiteral("四分位数按线性插值计算。")}};
        if (chart) {
            Report::Chart bars{QStringLiteral("分布"), {}, {{QStringLiteral("企业数"), {}}}, QStringLiteral("企业数")};
            for (int k = 0; k < rows; ++k) {
                bars.categories << QString::number(k);
                bars.series[0].values << k;
            }
            part.charts << bars;
        } else {
            Report::Table table{{QStringLiteral("分组"), QStringLiteral("中位数")}, {}};
            for (int k = 0; k < rows; ++k)
                table.rows.append({Report::text(QString::number(k)), Report::text(QString::number(k))});
            part.tables << table;
        }
        block.parts << part;
        const Report::Content content{QStringLiteral("汇总报告"), {}, {{QStringLiteral("二.绩效数据"), {block}}}};
        const QList<ReportPages::Placed> placed = ReportPages::placement(content);
        for (qsizetype k = 0; k + 1 < placed.size(); ++k)
            QVERIFY2(!placed[k].heading || placed[k + 1].page == placed[k].page,
                     qPrintable(QStringLiteral("%1 rows: a heading ends page %2").arg(rows).arg(placed[k].page + 1)));
    }
}

void CollectReportTest::aReportThatCannotBeWrittenReplacesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("HTML") << "r.html";
    QTest::newRow("PDF") << "r.pdf";
}

// A disk that holds the data set but not the report: status 2, neither the
// earlier report nor the data set is replaced, and nothing is left behind.
void CollectReportTest::aReportThatCannotBeWrittenReplacesNothing()
{
    QFETCH(QString, name);
    const QString folder = folderWithEarlier(QStringLiteral("no-room-") + name, QStringLiteral("a.csv"));
    folderWithEarlier(QStringLiteral("no-room-") + name, name);
    DiskFullFor disk(name.toUtf8());
    const Run run = CommandLineRun::here({QStringLiteral("-q"), input_, QStringLiteral("-o"), folder + "a.csv",
                                          QStringLiteral("--report"), folder + name},
                                         Formats::all(), &disk);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(name + QStringLiteral("”：磁盘空间不足")), qPrintable(run.err));
    QCOMPARE(filesIn(folder), (QStringList{QStringLiteral("a.csv"), name}));
    QCOMPARE(readText(folder + "a.csv"), QStringLiteral("earlier"));
    QCOMPARE(readText(folder + name), QStringLiteral("earlier"));
}

// SIGTERM while the PDF is drawn, the HTML already written to its temporary
// file: nothing is replaced, nothing is left behind, and the status says so.
void CollectReportTest::interruptedWhileTheReportIsDrawn()
{
    if (!TestSystem::isPosix())
        QSKIP("signals are POSIX; Ctrl+C reaches only a program on the same console");
    const QString data = folderWithEarlier(QStringLiteral("killed-data"), QStringLiteral("a.csv"));
    const QString reports = folderWithEarlier(QStringLiteral("killed-reports"), QStringLiteral("r.html"));
    folderWithEarlier(QStringLiteral("killed-reports"), QStringLiteral("r.pdf"));
    QProcess process;
    process.start(QStringLiteral(CSR_COLLECT_PATH), {input_, QStringLiteral("-o"), data + "a.csv", "--report",
                                                     reports + "r.html", "--report", reports + "r.pdf"});
    QVERIFY(process.waitForStarted());
    // The reports' temporary files stay empty until each is drawn whole: the
    // HTML comes first, then the PDF takes a second or more.
    auto htmlWritten = [&] {
        for (const QString &name : filesIn(reports))
            if (name.startsWith(QLatin1String(".csr-collect-")) && QFileInfo(reports + name).size() > 0)
                return true;
        return false;
    };
    QElapsedTimer clock;
    clock.start();
    while (!htmlWritten() && process.state() == QProcess::Running && clock.elapsed() < 60000)
        QTest::qWait(2);
    QVERIFY(htmlWritten());
    QVERIFY(TestSystem::sendSignal(process.processId(), SIGTERM));
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 143);
    QCOMPARE(filesIn(data), QStringList{QStringLiteral("a.csv")});
    QCOMPARE(filesIn(reports), (QStringList{QStringLiteral("r.html"), QStringLiteral("r.pdf")}));
    for (const QString &path : {data + "a.csv", reports + "r.html", reports + "r.pdf"})
        QCOMPARE(readText(path), QStringLiteral("earlier"));
}

// The reader of the output goes away (`csr-collect -q … | (exec 0<&-)`):
// the run goes on, writes every output, and its files decide the status.
void CollectReportTest::aClosedOutputEndsNothing()
{
    std::FILE *out = TestSystem::brokenPipe();
    std::FILE *err = TestSystem::brokenPipe();
    QVERIFY(out && err);
    const QString folder = dir_.path() + QStringLiteral("/closed/");
    QVERIFY(QDir().mkpath(folder));
    const int status = CommandLine::run({QStringLiteral("csr-collect"), QStringLiteral("-q"), input_,
                                         QStringLiteral("-o"), folder + "a.csv", "--report", folder + "r.html"},
                                        out, err);
    std::fclose(out);
    std::fclose(err);
    QCOMPARE(status, 1); // the broken file among the inputs
    QCOMPARE(filesIn(folder), (QStringList{QStringLiteral("a.csv"), QStringLiteral("r.html")}));
    QVERIFY(readText(folder + "r.html").contains(QLatin1String("<svg")));
}

// A person ticks 生成报告, picks a grouping and starts the merge: the page,
// the PDF and the workbook lie beside the outputs, broken down as asked.
void CollectReportTest::fromTheWindow()
{
    const QString folder = dir_.path() + QStringLiteral("/window/");
    QVERIFY(QDir().mkpath(folder));
    QRandomGenerator rng(kSeed + 1);
    for (int i = 0; i < 12; ++i)
        SampleRecords::write(SampleRecords::make(rng, i), folder);
    CollectWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setInputFolder(folder);
    QLineEdit *output = child<QLineEdit>(&window, "outputEdit");
    output->selectAll();
    QTest::keyClicks(output, dir_.path() + QStringLiteral("/window-out/merged"));
    QVERIFY(QDir().mkpath(dir_.path() + QStringLiteral("/window-out")));
    QCheckBox *report = child<QCheckBox>(&window, "reportBox");
    QVERIFY(report->text().contains(QStringLiteral("生成报告")));
    QComboBox *grouping = child<QComboBox>(&window, "reportGroupingBox");
    QVERIFY(!grouping->isEnabled());
    QTest::mouseClick(report, Qt::LeftButton, {}, QPoint(8, report->height() / 2));
    QVERIFY(report->isChecked());
    QVERIFY(grouping->isEnabled());
    QCOMPARE(grouping->currentText(), QStringLiteral("不分组"));
    grouping->setFocus();
    for (int k = 0; k < grouping->count() && grouping->currentData().toString() != QLatin1String("listed"); ++k)
        QTest::keyClick(grouping, Qt::Key_Down);
    QCOMPARE(grouping->currentText(), QStringLiteral("企业是否上市"));

    QSignalSpy ended(&window, &CollectWindow::mergeEnded);
    QTest::mouseClick(child<QPushButton>(&window, "startButton"), Qt::LeftButton);
    QVERIFY(ended.wait(60000));
    const QString summary = child<QLabel>(&window, "summaryLabel")->text();
    const QString base = QDir::toNativeSeparators(dir_.path() + QStringLiteral("/window-out/merged_报告"));
    QVERIFY2(summary.contains(base + QStringLiteral(".html")) && summary.contains(base + QStringLiteral(".pdf")),
             qPrintable(summary));
    const QString html = readText(dir_.path() + QStringLiteral("/window-out/merged_报告.html"));
    QCOMPARE(reportFigures(html).value(QStringLiteral("files|accepted")), QStringLiteral("12"));
    QVERIFY(html.contains(QStringLiteral("按“企业是否上市”分组")));
    QVERIFY(!groupedFigures(html).isEmpty());
    QFile pdf(dir_.path() + QStringLiteral("/window-out/merged_报告.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
    QVERIFY(summary.contains(base + QStringLiteral(".xlsx")));
    QVERIFY(!OutputReaders::readXlsx(dir_.path() + QStringLiteral("/window-out/merged_报告.xlsx")).isEmpty());
}

COLLECT_TEST_MAIN(CollectReportTest)

#include "tst_collect_report.moc"
