// The report's workbook, written by the command line beside the HTML of the
// same run: every number in it is the figure of the same cell of the HTML,
// and the contents lead to the sheet and cell of each entry.
#include "tests/collect/CommandLineRun.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/CollectTestMain.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr int kRecords = 60;
constexpr quint32 kSeed = 20141101;

// How a text or a number format shows a figure: its decimals, and whether in per cent.
QString shownAs(const QString &number, const QString &after)
{
    const qsizetype point = number.indexOf(QLatin1Char('.'));
    return QStringLiteral("%1 decimals%2")
        .arg(point < 0 ? 0 : number.size() - point - 1)
        .arg(after.startsWith(QLatin1Char('%')) ? QStringLiteral(", per cent") : QString());
}

} // namespace

class CollectReportWorkbookTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyNumberIsTheFigureOfTheHtml();
    void theContentsLeadToEachEntry();

private:
    QTemporaryDir dir_;
    QString html_;
    QList<OutputReaders::Sheet> sheets_;
};

// One run, broken down by few groups and by many, to the HTML and the workbook.
void CollectReportWorkbookTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    const QString input = dir_.path() + QStringLiteral("/in/");
    QVERIFY(QDir().mkpath(input));
    QRandomGenerator rng(kSeed);
    for (int i = 0; i < kRecords; ++i)
        SampleRecords::write(SampleRecords::make(rng, i), input);
    const QString out = dir_.path() + QStringLiteral("/报告");
    const CommandLineRun::Run run =
        CommandLineRun::here({QStringLiteral("-q"), input, QStringLiteral("--report"), out + QStringLiteral(".html"),
                              QStringLiteral("--report"), out + QStringLiteral(".xlsx"), QStringLiteral("--report-by"),
                              QStringLiteral("listed"), QStringLiteral("--report-by"), QStringLiteral("industry")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QFile html(out + QStringLiteral(".html"));
    QVERIFY(html.open(QIODevice::ReadOnly));
    html_ = QString::fromUtf8(html.readAll());
    sheets_ = OutputReaders::readXlsx(out + QStringLiteral(".xlsx"));
    QVERIFY(sheets_.size() > 4);
}

// The HTML's figures and the workbook's numbers, both in reading order
// (sheet by sheet, row by row), are one list, each number shown as the HTML shows it.
void CollectReportWorkbookTest::everyNumberIsTheFigureOfTheHtml()
{
    QList<QPair<double, QString>> figures;
    static const QRegularExpression value(QStringLiteral("data-value=\"([^\"]*)\"[^>]*>([-0-9,.]*)([^<]*)<"));
    for (auto it = value.globalMatch(html_); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        figures.append({m.captured(1).toDouble(), shownAs(m.captured(2), m.captured(3))});
    }
    static const QRegularExpression format(QStringLiteral("^[#,]*0([.]0*)?(%?)$"));
    qsizetype i = 0;
    for (const OutputReaders::Sheet &sheet : sheets_) {
        for (auto it = sheet.cells.begin(); it != sheet.cells.end(); ++it) {
            if (!it->number)
                continue;
            const QString where =
                QStringLiteral("%1!R%2C%3").arg(sheet.name).arg(it.key().first + 1).arg(it.key().second + 1);
            QVERIFY2(i < figures.size(), qPrintable(where));
            const auto [expected, shown] = figures[i++];
            QVERIFY2(std::abs(it->text.toDouble() - expected) <= 1e-12 * std::max(1.0, std::abs(expected)),
                     qPrintable(QStringLiteral("%1: %2, HTML %3").arg(where, it->text).arg(expected)));
            const QRegularExpressionMatch m = format.match(it->format);
            QVERIFY2(m.hasMatch(), qPrintable(where + QStringLiteral(": ") + it->format));
            QCOMPARE(shownAs(QLatin1Char('0') + m.captured(1), m.captured(2)), shown);
        }
    }
    QVERIFY(figures.size() > 500);
    QCOMPARE(i, figures.size());
}

// Each link of the first sheet leads to a cell that holds its words; there
// is one for each question of the HTML, its cover's table aside.
void CollectReportWorkbookTest::theContentsLeadToEachEntry()
{
    const OutputReaders::Sheet &contents = sheets_.front();
    QCOMPARE(contents.name, QStringLiteral("目录"));
    static const QRegularExpression location(QStringLiteral("^'((?:[^']|'')+)'!A(\\d+)$"));
    qsizetype questions = 0;
    for (auto it = contents.links.begin(); it != contents.links.end(); ++it) {
        const QRegularExpressionMatch m = location.match(it.value());
        QVERIFY2(m.hasMatch(), qPrintable(it.value()));
        const QString name = m.captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
        const auto sheet = std::find_if(sheets_.begin(), sheets_.end(), [&](const auto &s) { return s.name == name; });
        QVERIFY2(sheet != sheets_.end(), qPrintable(it.value()));
        const QString words = contents.cells.value(it.key()).text;
        QCOMPARE(sheet->cells.value({m.captured(2).toInt() - 1, 0}).text, words);
        questions += it.key().second == 2 ? 1 : 0;
    }
    QCOMPARE(questions, html_.count(QLatin1String("<h3>")) - 1);
}

COLLECT_TEST_MAIN(CollectReportWorkbookTest)

#include "tst_collect_report_workbook.moc"
