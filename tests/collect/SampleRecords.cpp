// Random answer records.
#include "tests/collect/SampleRecords.h"

#include <QSet>

#include <cmath>
#include <functional>

#include "platform/FileSystemCalls.h"
#include "survey/DataChecks.h"
#include "survey/LineMap.h"
#include "survey/PerformanceContent.h"
#include "survey/ResultFileWriter.h"

namespace SampleRecords {
namespace {

using Survey::GateKind;
using Survey::Line;
using Survey::LineKind;

const QString kWords[] = {
    QStringLiteral("北京"),         QStringLiteral("上海"), QStringLiteral("科技"), QStringLiteral("发展"),
    QStringLiteral("公益"),         QStringLiteral("基金"), QStringLiteral("社区"), QStringLiteral("环保"),
    QStringLiteral("报告"),         QStringLiteral("网站"), QStringLiteral("养老"), QStringLiteral("服务"),
    QStringLiteral("浙江省杭州市"), QStringLiteral("路"),   QStringLiteral("号"),   QStringLiteral("中心"),
};
const QString kTricky[] = {
    QStringLiteral(","), QStringLiteral("\""),     QStringLiteral(" "),  QStringLiteral("="),
    QStringLiteral("'"), QStringLiteral("；"),     QStringLiteral("€"),  QStringLiteral("　"),
    QStringLiteral("|"), QStringLiteral("A&B<c>"), QStringLiteral("鑫"), QStringLiteral("\t"),
};

QString words(QRandomGenerator &rng, int count, Texts texts)
{
    QString out;
    for (int i = 0; i < count; ++i) {
        if (texts == Texts::Tricky && rng.bounded(3) == 0)
            out += kTricky[rng.bounded(int(std::size(kTricky)))];
        else
            out += kWords[rng.bounded(int(std::size(kWords)))];
    }
    return out;
}

// Line 1 names the file: what this system refuses in a file name is left out
// (nothing on Linux; on Windows the quote, the bar, the angle brackets and the tab).
QString fileNameSafe(const QString &text)
{
    QString kept;
    for (QChar c : text)
        if (FileSystemCalls::isPlainFileName(QString(c)))
            kept += c;
    return kept;
}

QString number(QRandomGenerator &rng)
{
    switch (rng.bounded(5)) {
    case 0:
        return QString::number(rng.bounded(100));
    case 1:
        return QString::number(rng.bounded(100000)) + QLatin1Char('.') + QString::number(rng.bounded(10));
    case 2:
        return QStringLiteral("0.") + QString::number(rng.bounded(1, 100));
    default:
        return QString::number(rng.bounded(1, 5000000));
    }
}

bool gateOpen(const Line &line, const AnswerRecord &record)
{
    const QString &gate = record.get(line.gateLine);
    if (line.gatePosition < 0)
        return gate == line.gateValue;
    return gate.mid(line.gatePosition, line.gateValue.size()) == line.gateValue;
}

// Figures that agree with each other, written over the random ones (an empty
// line stays empty): the revenue far above every other amount, each part of
// the employees within them, the second year within a factor of two of the
// first, at least one project.
void makeFiguresAgree(QRandomGenerator &rng, AnswerRecord &record)
{
    auto lineOf = [](const char *stem, int year) {
        return Survey::lineByVariable(QStringLiteral("%1_%2").arg(QLatin1String(stem)).arg(year))->number;
    };
    auto setPair = [&](const char *stem, const std::function<double(int year, double earlier)> &value) {
        double earlier = -1;
        for (int year : {2013, 2014}) {
            const int line = lineOf(stem, year);
            if (record.get(line).isEmpty())
                continue;
            const double v = value(year, earlier);
            record.set(line, QString::number(v, 'f', v == std::floor(v) ? 0 : 1));
            earlier = v;
        }
    };
    auto withinTwofold = [&](double earlier, double low, double high) {
        if (earlier <= 0)
            return std::floor(low + rng.bounded(high - low));
        return std::max(low, std::floor(earlier * (0.5 + 1.5 * rng.generateDouble())));
    };
    setPair("revenue", [&](int, double earlier) { return withinTwofold(earlier, 100000, 5000000); });
    setPair("employees", [&](int, double earlier) { return withinTwofold(earlier, 100, 20000); });
    for (const char *part : {"contracted_employees", "insured_employees", "housing_fund_employees"})
        setPair(part, [&](int year, double) {
            // Of the employees of its year; where that is empty, of the other year's.
            QString employees = record.get(lineOf("employees", year));
            if (employees.isEmpty())
                employees = record.get(lineOf("employees", year == 2013 ? 2014 : 2013));
            const double whole = employees.isEmpty() ? 100 : employees.toDouble();
            return std::floor(whole * (0.5 + 0.5 * rng.generateDouble()));
        });
    setPair("projects", [&](int, double earlier) { return withinTwofold(earlier, 1, 50); });
    static const QSet<QString> done = {"revenue", "employees", "contracted_employees", "insured_employees",
                                       "housing_fund_employees", "projects"};
    for (const Performance::FiguresTab &tab : Performance::content().tabs)
        for (const Performance::FigureRow &row : tab.rows)
            if (!done.contains(row.variable.toString()))
                setPair(row.variable.toString().toLatin1().constData(), [&](int, double earlier) {
                    const double v = withinTwofold(earlier, 1, 1000);
                    // Halves in amounts only: a count is whole.
                    return rng.bounded(4) == 0 && row.unit == DataChecks::kAmountUnit ? v + 0.5 : v;
                });
}

// Ticks and answers that do not exclude each other.
void makeAnswersAgree(QRandomGenerator &rng, AnswerRecord &record)
{
    auto line = [](const char *variable) { return Survey::lineByVariable(QString::fromLatin1(variable))->number; };
    if (record.get(line("listed")) == QStringLiteral("1"))
        record.set(line("company_type"), QStringLiteral("股份有限公司"));
    // Question 2: A to D and F are ways of disclosing, E "never disclosed".
    QString ways = record.get(line("q02"));
    // F keeps its tick, which its text needs.
    if (ways[4] == QLatin1Char('1') && ways[5] == QLatin1Char('1'))
        ways[4] = QLatin1Char('9');
    if (ways[4] == QLatin1Char('1'))
        ways.replace(0, 4, QStringLiteral("9999"));
    const QString report = record.get(line("report"));
    if (report == QStringLiteral("9"))
        ways[0] = QLatin1Char('9');
    if (report == QStringLiteral("1"))
        ways[4] = QLatin1Char('9');
    record.set(line("q02"), ways);
    if (!record.get(line("report_count")).isEmpty())
        record.set(line("report_count"), QString::number(rng.bounded(1, 30)));
}

AnswerRecord randomRecord(QRandomGenerator &rng, int index, Texts texts)
{
    AnswerRecord record;
    // The code lines first: line 138 opens lines before it (the project
    // figures). The one other gate, industry 19 for line 8, comes before its line.
    for (const Line &line : Survey::lines()) {
        QString text;
        switch (line.kind) {
        case LineKind::OptionCodes: {
            int ticks = 0;
            for (qsizetype i = 0; i < line.positions.size(); ++i) {
                const bool tick = rng.bounded(3) == 0 && (line.maxTicks == 0 || ticks < line.maxTicks);
                ticks += tick;
                text += tick ? QLatin1Char('1') : QLatin1Char('9');
            }
            break;
        }
        case LineKind::Ranking: {
            QString letters = line.letters;
            const int count = int(rng.bounded(int(letters.size()) + 1));
            for (int i = 0; i < count; ++i) {
                const QChar letter = letters.at(qsizetype(rng.bounded(int(letters.size()))));
                text += letter;
                letters.remove(letter);
            }
            break;
        }
        default:
            continue;
        }
        record.set(line.number, text);
    }
    for (const Line &line : Survey::lines()) {
        if (line.kind == LineKind::OptionCodes || line.kind == LineKind::Ranking)
            continue;
        if (line.gate != GateKind::None && !gateOpen(line, record))
            continue;
        const bool empty = line.number != 1 && rng.bounded(6) == 0;
        if (empty)
            continue;
        QString text;
        switch (line.kind) {
        case LineKind::FreeText:
            text = line.number == 1 ? fileNameSafe(words(rng, 2, texts)) + QStringLiteral("%1有限公司").arg(index)
                                    : words(rng, 1 + int(rng.bounded(6)), texts);
            break;
        case LineKind::Number:
            text = number(rng);
            break;
        case LineKind::SingleChoice:
        case LineKind::YesNoPair:
            text = line.choices[rng.bounded(int(line.choices.size()))].code;
            break;
        case LineKind::ListPick:
            text = line.items[rng.bounded(int(line.items.size()))];
            break;
        default:
            break;
        }
        record.set(line.number, text);
    }
    return record;
}

} // namespace

AnswerRecord make(QRandomGenerator &rng, int index, Texts texts, Values values)
{
    AnswerRecord record = randomRecord(rng, index, texts);
    if (values == Values::Consistent) {
        makeFiguresAgree(rng, record);
        makeAnswersAgree(rng, record);
    }
    return record;
}

QString write(const AnswerRecord &record, const QString &folder)
{
    ResultFileWriter writer(record, FileSystemCalls::system(), folder);
    return writer.write();
}

QStringList lines(const AnswerRecord &record)
{
    QStringList out;
    for (int k = 1; k <= AnswerRecord::kSlotCount; ++k)
        out << record.get(k);
    return out;
}

QStringList blankLines(const QString &name)
{
    QStringList lines(139);
    lines[0] = name;
    auto nines = [](int n) { return QString(n, QLatin1Char('9')); };
    lines[9 - 1] = nines(6);
    const int lengths[] = {6, 6, 9, 6, 6, 10, 9, 8, 6, 4, 7, 5, 5, 5, 5, 7, 7, 7, 5, 7};
    for (int i = 0; i < 20; ++i)
        lines[65 - 1 + i] = nines(lengths[i]);
    lines[86 - 1] = nines(6);
    lines[87 - 1] = nines(9);
    lines[138 - 1] = nines(10);
    return lines;
}

} // namespace SampleRecords
