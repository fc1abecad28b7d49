// One pass over the data set's cells tallies every variable; the sections
// then follow the pages, their tabs and their questions in the survey's order.
#include "collect/report/ReportContent.h"

#include "collect/data/DataSet.h"
#include "collect/report/ReportCells.h"
#include "collect/report/ReportChecks.h"
#include "collect/report/ReportStatistics.h"
#include "collect/report/ReportTally.h"
#include "survey/Captions.h"
#include "survey/LineMap.h"
#include "survey/PerformanceContent.h"
#include "survey/QuestionnaireContent.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Report {
namespace {

using Kind = DataSet::Kind;
using Survey::Line;
using Survey::LineKind;
using Survey::PageId;

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
// The "其他" texts listed one by one, the most frequent first; the rest are
// summed up in one row (the data set holds them all).
constexpr qsizetype kMostTextsListed = 50;
// The questions of the first section: who answered.
const QStringList &respondentVariables()
{
    static const QStringList names = {QStringLiteral("industry"), QStringLiteral("company_type"),
                                      QStringLiteral("company_age"), QStringLiteral("listed")};
    return names;
}

// A chart of shares in per cent, one bar a category.
Chart shareChart(const QString &title)
{
    Chart chart{title, {}, {{QStringLiteral("占作答的比例"), {}}}, QStringLiteral("占作答的比例（%）")};
    chart.percent = true;
    chart.decimals = 1;
    return chart;
}

double percentOf(qint64 part, qint64 whole)
{
    return whole > 0 ? 100.0 * double(part) / double(whole) : 0.0;
}

// 不适用 and blank, the two ways a cell holds no answer, counted apart.
void addUnanswered(Table &table, const DataSet::Variable &v, const Tally &t, int columns)
{
    auto row = [&](const QString &caption, const QString &stat, qint64 n) {
        QList<Cell> cells{text(caption), count(v.name, stat, n)};
        while (cells.size() < columns)
            cells.append(text({}));
        table.rows.append(cells);
    };
    if (v.canBeNotApplicable())
        row(DataSet::notApplicableLabel(), QStringLiteral("na"), t.notApplicable);
    row(QStringLiteral("未填"), QStringLiteral("blank"), t.missing);
}

QString unanswered(const DataSet::Variable &v, const Tally &t)
{
    QString text = QStringLiteral("作答 %1 家").arg(whole(t.values));
    if (v.canBeNotApplicable())
        text += QStringLiteral("；不适用 %1 家（%2时）").arg(whole(t.notApplicable), v.notApplicableWhen);
    return text + QStringLiteral("；未填 %1 家").arg(whole(t.missing));
}

Table othersTable(const DataSet::Variable &v, const Tally &t)
{
    QList<QPair<QString, qint64>> texts;
    for (auto it = t.texts.begin(); it != t.texts.end(); ++it)
        texts.append({it.key(), it.value()});
    std::sort(texts.begin(), texts.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    Table table{{QStringLiteral("填写的文字"), QStringLiteral("次数")}, {}};
    qint64 restKinds = 0, rest = 0;
    for (const auto &[words, n] : texts) {
        if (table.rows.size() < kMostTextsListed) {
            table.rows.append({text(words), count(v.name, QStringLiteral("text:") + words, n)});
        } else {
            ++restKinds;
            rest += n;
        }
    }
    if (restKinds > 0)
        table.rows.append({text(QStringLiteral("其余 %1 种文字（全部在数据集的 %2 列）").arg(whole(restKinds), v.name)),
                           count(v.name, QStringLiteral("other_texts"), rest)});
    return table;
}

// Everything one section needs to find its variables.
class Builder {
public:
    explicit Builder(const DataSet &data) : data_(data), tallies_(tally(data))
    {
        const QList<DataSet::Variable> &vars = data.variables();
        for (qsizetype i = 0; i < vars.size(); ++i) {
            byName_.insert(vars[i].name, i);
            if (vars[i].line > 0)
                byLine_[vars[i].line].append(i);
        }
        for (const Line &line : Survey::lines())
            if (isOtherText(line))
                otherOf_.insert(line.gateLine, line.number);
    }

    Block choice(int lineNumber) const
    {
        const qsizetype i = byLine_.value(lineNumber).value(0);
        const DataSet::Variable &v = var(i);
        const Tally &t = tallies_[i];
        Block b;
        b.title = v.label;
        b.notes << unanswered(v, t);
        b.table.header = {QStringLiteral("选项"), QStringLiteral("企业数"), QStringLiteral("占作答的比例")};
        Chart chart = shareChart(v.label);
        for (qsizetype k = 0; k < v.codes.size(); ++k) {
            const QString value = QString::number(v.values[k]);
            const QString caption = v.valueLabels[k].label;
            b.table.rows.append({text(caption), count(v.name, QStringLiteral("count:") + value, t.byCode[k]),
                                 share(v.name, QStringLiteral("share:") + value, t.byCode[k], t.values)});
            chart.categories << caption;
            chart.series[0].values << percentOf(t.byCode[k], t.values);
        }
        addUnanswered(b.table, v, t, 3);
        if (t.values > 0)
            b.charts << chart;
        addOthers(b, lineNumber);
        return b;
    }

    // One row per option, as on the page; shares of those who answered the question.
    Block ticks(const Line &line) const
    {
        const QList<qsizetype> flags = byLine_.value(line.number);
        const DataSet::Variable &first = var(flags.front());
        const Tally &answered = tallies_[flags.front()];
        Block b;
        b.title = line.question.trimmed();
        if (line.maxTicks > 0)
            b.notes << QStringLiteral("本题最多选 %1 项。").arg(line.maxTicks);
        b.notes << (first.missingWhenUnanswered ? QStringLiteral("作答 %1 家；一项都未选（未作答）%2 家")
                                                      .arg(whole(answered.values), whole(answered.missing))
                                                : QStringLiteral("填写 %1 家；一项都未选也算作答；无法读取 %2 家")
                                                      .arg(whole(answered.values), whole(answered.missing)));
        b.table.header = {QStringLiteral("选项"), QStringLiteral("选中的企业数"), QStringLiteral("占作答的比例")};
        Chart chart = shareChart(b.title);
        for (qsizetype i : flags) {
            const DataSet::Variable &v = var(i);
            const Tally &t = tallies_[i];
            const QString caption = line.positions.value(v.position).trimmed();
            b.table.rows.append({text(caption), count(v.name, QStringLiteral("count"), t.ticked),
                                 share(v.name, QStringLiteral("share"), t.ticked, t.values)});
            chart.categories << caption;
            chart.series[0].values << percentOf(t.ticked, t.values);
        }
        QList<Cell> answeredRow{text(QStringLiteral("作答的企业")),
                                count(first.name, QStringLiteral("answered"), answered.values), text({})};
        b.table.rows.append(answeredRow);
        if (answered.values > 0)
            b.charts << chart;
        addOthers(b, line.number);
        return b;
    }

    Block ranking(const Line &line) const
    {
        Block b;
        b.title = line.question.trimmed();
        b.table.header = {QStringLiteral("选项"), QStringLiteral("排入的企业数"), QStringLiteral("平均名次"),
                          QStringLiteral("排第一位的次数")};
        qsizetype firstRank = -1;
        for (qsizetype i : byLine_.value(line.number))
            if (var(i).kind == Kind::RankLetter && var(i).position == 0)
                firstRank = i;
        Chart mean{QStringLiteral("平均名次（越小越靠前）"),
                   {},
                   {{QStringLiteral("平均名次"), {}}},
                   QStringLiteral("平均名次")};
        mean.decimals = 2;
        Chart first{
            QStringLiteral("排第一位的次数"), {}, {{QStringLiteral("排第一位的次数"), {}}}, QStringLiteral("企业数")};
        for (qsizetype i : byLine_.value(line.number)) {
            const DataSet::Variable &v = var(i);
            if (v.kind != Kind::RankOf)
                continue;
            const Tally &t = tallies_[i];
            double sum = 0;
            for (double rank : t.numbers)
                if (!std::isnan(rank))
                    sum += rank;
            const double meanRank = t.values > 0 ? sum / double(t.values) : kNone;
            const qint64 firsts = firstRank >= 0 ? tallies_[firstRank].byCode.value(v.position) : 0;
            const QString caption =
                DataSet::letterCaption(line.letters.mid(v.position, 1), line.positions.value(v.position));
            b.table.rows.append({text(caption), count(v.name, QStringLiteral("ranked"), t.values),
                                 figure(v.name, QStringLiteral("mean_rank"), meanRank),
                                 count(v.name, QStringLiteral("first"), firsts)});
            mean.categories << caption;
            mean.series[0].values << (std::isnan(meanRank) ? 0.0 : meanRank);
            first.categories << caption;
            first.series[0].values << double(firsts);
        }
        if (firstRank >= 0) {
            const Tally &t = tallies_[firstRank];
            b.notes << QStringLiteral("排序的企业 %1 家；未排序 %2 家").arg(whole(t.values), whole(t.missing));
            if (t.values > 0)
                b.charts << mean << first;
        }
        return b;
    }

    // A figure of one year or of both, with its change where both are given.
    Block figures(const Line &line, const Line *later) const
    {
        QList<qsizetype> vars{byLine_.value(line.number).value(0)};
        if (later)
            vars << byLine_.value(later->number).value(0);
        Block b;
        b.title = line.question.trimmed() + (line.unit.isEmpty() ? QString() : QStringLiteral("（%1）").arg(line.unit));
        b.table.header = {QStringLiteral("统计量")};
        QList<std::vector<double>> sorted;
        QStringList years;
        for (qsizetype i : vars) {
            const QString year = Survey::line(var(i).line).year;
            b.table.header << (later ? year : QStringLiteral("数值"));
            years << (year.isEmpty() ? QStringLiteral("企业数") : year);
            sorted.append(sortedFigures(i));
        }
        for (const Statistic &s : statistics()) {
            QList<Cell> row{text(s.caption.toString())};
            for (qsizetype k = 0; k < vars.size(); ++k)
                row << figure(var(vars[k]).name, s.key.toString(), s.of(sorted[k]));
            b.table.rows.append(row);
        }
        addFigureGaps(b, vars);
        if (later)
            addChange(b, vars[0], vars[1]);
        if (std::any_of(sorted.begin(), sorted.end(), [](const auto &x) { return !x.empty(); }))
            b.charts << histogram(b.title, sorted, years);
        return b;
    }

    void addOthers(Block &b, int lineNumber) const
    {
        const int other = otherOf_.value(lineNumber);
        if (other == 0)
            return;
        const qsizetype i = byLine_.value(other).value(0);
        const Line &line = Survey::line(other);
        // The caption of the option or choice that opens the text.
        const Line &gate = Survey::line(line.gateLine);
        QString option = gate.positions.value(line.gatePosition);
        for (const Survey::Choice &c : gate.choices)
            if (line.gatePosition < 0 && c.code == line.gateValue)
                option = c.caption;
        b.othersTitle = QStringLiteral("“%1”填写的文字（相同的合并计数）").arg(option.trimmed());
        b.others = othersTable(var(i), tallies_[i]);
    }

    qsizetype index(const QString &name) const { return byName_.value(name, -1); }

private:
    const DataSet::Variable &var(qsizetype i) const { return data_.variables()[i]; }

    // The figures given, sorted.
    std::vector<double> sortedFigures(qsizetype i) const
    {
        std::vector<double> values;
        for (double x : tallies_[i].numbers)
            if (!std::isnan(x))
                values.push_back(x);
        std::sort(values.begin(), values.end());
        return values;
    }

    // 不适用 (with when) and blank, below the statistics.
    void addFigureGaps(Block &b, const QList<qsizetype> &vars) const
    {
        const DataSet::Variable &v0 = var(vars.front());
        if (v0.canBeNotApplicable()) {
            QList<Cell> row{text(DataSet::notApplicableLabel())};
            for (qsizetype i : vars)
                row << count(var(i).name, QStringLiteral("na"), tallies_[i].notApplicable);
            b.table.rows.append(row);
            b.notes << QStringLiteral("%1时不适用。").arg(v0.notApplicableWhen);
        }
        QList<Cell> blank{text(QStringLiteral("未填"))};
        for (qsizetype i : vars)
            blank << count(var(i).name, QStringLiteral("blank"), tallies_[i].missing);
        b.table.rows.append(blank);
    }

    void addChange(Block &b, qsizetype earlier, qsizetype later) const
    {
        const YearChange c = yearChange(tallies_[earlier].numbers, tallies_[later].numbers);
        const QString name = var(later).name;
        auto row = [&](const QString &caption, const Cell &cell) {
            b.table.rows.append({text(caption), text({}), cell});
        };
        const QString y0 = Survey::line(var(earlier).line).year, y1 = Survey::line(var(later).line).year;
        row(QStringLiteral("两年都填的企业数"), count(name, QStringLiteral("both"), c.both));
        row(QStringLiteral("变化（%1减%2）的中位数").arg(y1, y0),
            figure(name, QStringLiteral("median_change"), c.medianChange));
        row(QStringLiteral("增加的企业数"), count(name, QStringLiteral("rises"), c.rises));
        row(QStringLiteral("减少的企业数"), count(name, QStringLiteral("falls"), c.falls));
        row(QStringLiteral("不变的企业数"), count(name, QStringLiteral("same"), c.same));
    }

    const DataSet &data_;
    QList<Tally> tallies_;
    QHash<QString, qsizetype> byName_;
    QHash<int, QList<qsizetype>> byLine_;
    QHash<int, int> otherOf_; // a question's line → the line of its "其他" text
};

// The report's first page: its title, when, from what, and what became of the files.
Section cover(const Source &s, const QString &title, const QString &made)
{
    const Merge::Summary &m = s.summary;
    Block b;
    b.title = QStringLiteral("汇总情况");
    b.table.header = {QStringLiteral("项目"), QStringLiteral("内容")};
    QStringList inputs;
    for (const QString &input : s.inputs)
        inputs << QDir::toNativeSeparators(input);
    auto row = [&](const QString &caption, const Cell &cell) { b.table.rows.append({text(caption), cell}); };
    const QString files = QStringLiteral("files");
    row(QStringLiteral("报告生成时间"), text(made));
    row(QStringLiteral("输入"), text(inputs.join(QStringLiteral("；"))));
    row(QStringLiteral("找到的文件"), count(files, QStringLiteral("found"), m.found));
    row(QStringLiteral("汇总的企业（接受）"), count(files, QStringLiteral("accepted"), m.accepted));
    row(QStringLiteral("拒绝"), count(files, QStringLiteral("rejected"), m.rejected));
    row(QStringLiteral("舍弃的重复文件"), count(files, QStringLiteral("duplicates"), m.duplicates));
    row(QStringLiteral("问题清单中的条目"), count(files, QStringLiteral("problems"), m.problems));
    QStringList problems;
    for (const QString &path : s.problemFiles)
        problems << QDir::toNativeSeparators(path);
    row(QStringLiteral("问题清单"),
        text(problems.isEmpty() ? QStringLiteral("未写出（命令行用 --problems 文件.csv，窗口中“保存问题表…”）")
                                : problems.join(QStringLiteral("；"))));
    b.notes << QStringLiteral("以下各题的比例都以作答的企业为分母；“不适用”（按前面的回答不需填写）和“未填”分开计数。");
    return Section{title, {b}};
}

// The heading each tab's first line opens.
QHash<int, QString> tabHeadings()
{
    QHash<int, QString> headings;
    for (const Performance::FiguresTab &tab : Performance::content().tabs)
        if (!tab.rows.empty())
            headings.insert(tab.rows.front().line2013, tab.caption.toString().trimmed());
    for (const Questionnaire::Tab &tab : Questionnaire::tabs())
        if (!tab.questions.empty())
            headings.insert(tab.questions.front().codeLine, tab.title.toString().trimmed());
    return headings;
}

Section pageSection(const Builder &builder, const QString &title, std::initializer_list<PageId> pages,
                    const QStringList &skip)
{
    Section section{title, {}};
    const QHash<int, QString> headings = tabHeadings();
    QList<int> done;
    for (const Line &line : Survey::lines()) {
        if (std::find(pages.begin(), pages.end(), line.page) == pages.end() || done.contains(line.number) ||
            skip.contains(line.variable))
            continue;
        Block block;
        switch (line.kind) {
        case LineKind::SingleChoice:
        case LineKind::YesNoPair:
        case LineKind::ListPick:
            block = builder.choice(line.number);
            break;
        case LineKind::OptionCodes:
            block = builder.ticks(line);
            break;
        case LineKind::Ranking:
            block = builder.ranking(line);
            break;
        case LineKind::Number: {
            const Line *later = nullptr;
            if (!line.year.isEmpty())
                for (const Line &other : Survey::lines())
                    if (other.number > line.number && other.kind == LineKind::Number &&
                        other.question == line.question && other.page == line.page && other.year != line.year) {
                        later = &other;
                        break;
                    }
            if (later)
                done << later->number;
            block = builder.figures(line, later);
            break;
        }
        case LineKind::FreeText:
            continue; // names and addresses are no tally; "其他" texts go with their question
        }
        block.heading = headings.value(line.number);
        section.blocks.append(block);
    }
    return section;
}

} // namespace

Content build(const Source &source)
{
    Content content;
    content.title = Captions::kPageCaption.toString() + QStringLiteral(" · 汇总报告");
    content.made = source.made.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const Builder builder(source.data);
    content.sections << cover(source, content.title, content.made);

    Section who{QStringLiteral("填报企业"), {}};
    for (const QString &name : respondentVariables())
        if (const Line *line = Survey::lineByVariable(name))
            who.blocks << builder.choice(line->number);
    content.sections << who;
    content.sections << pageSection(builder, Captions::kProfileHeading.toString(),
                                    {PageId::BasicInformation, PageId::Foundation}, respondentVariables());
    content.sections << pageSection(builder, Performance::content().heading.toString(), {PageId::Performance}, {});
    content.sections << pageSection(builder, Questionnaire::kHeading.toString(), {PageId::Questionnaire}, {});
    content.sections << checksSection(source.data);
    return content;
}

} // namespace Report
