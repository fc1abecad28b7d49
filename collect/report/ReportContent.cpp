// One pass over the data set's cells tallies every variable (and one more
// for each breakdown); the sections then follow the pages, their tabs and
// their questions in the survey's order.
#include "collect/report/ReportContent.h"

#include "collect/data/DataSet.h"
#include "collect/report/ReportBreakdown.h"
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

// A block's title: the line's label, without the year where the block shows both years.
QString titleOf(const Line &line, bool bothYears)
{
    QString title = line.label.simplified();
    if (bothYears && !line.year.isEmpty())
        title.remove(QLatin1Char(' ') + line.year);
    return title;
}

QString rankName(qsizetype rank)
{
    return QStringLiteral("第%1位").arg(rank);
}

// One bar for each option, split into the shares of those who ranked any
// option that put it at each rank, and the share that left it out: each bar
// adds up to all of them. counts: of each option, how many ranked it (at 0)
// and how many at each rank.
Chart rankShares(const QStringList &captions, const QList<QList<qint64>> &counts, qint64 ranked)
{
    Chart chart{
        QStringLiteral("各选项排在第几位（占排序企业的比例）"), captions, {}, QStringLiteral("占排序企业的比例")};
    chart.percent = true;
    chart.decimals = 1;
    chart.stacked = true;
    const qsizetype ranks = counts.isEmpty() ? 0 : counts.front().size() - 1;
    for (qsizetype r = 1; r <= ranks; ++r)
        chart.series.append({rankName(r), {}});
    chart.series.append({QStringLiteral("未排序"), {}});
    auto share = [&](qint64 n) { return ranked > 0 ? 100.0 * double(n) / double(ranked) : 0.0; };
    for (const QList<qint64> &option : counts) {
        for (qsizetype r = 1; r <= ranks; ++r)
            chart.series[r - 1].values << share(option[r]);
        chart.series.back().values << share(std::max<qint64>(0, ranked - option[0]));
    }
    return chart;
}

// How many answered, and the 不适用 and blank apart; then when it is 不适用, in the survey's words.
QStringList unansweredNotes(const DataSet::Variable &v, const Tally &t)
{
    QString counts = QStringLiteral("作答 %1 家").arg(whole(t.values));
    if (v.canBeNotApplicable())
        counts += QStringLiteral("；%1 %2 家").arg(DataSet::notApplicableLabel(), whole(t.notApplicable));
    counts += QStringLiteral("；未填 %1 家。").arg(whole(t.missing));
    QStringList notes{counts};
    if (v.canBeNotApplicable())
        notes << v.notApplicableWhen + QStringLiteral("。");
    return notes;
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
        table.rows.append({text(QStringLiteral("其余 %1 种文字（数据集中有全部文字）").arg(whole(restKinds))),
                           count(v.name, QStringLiteral("other_texts"), rest)});
    return table;
}

// How many ranked an option at all (at 0), and how many at each rank.
QList<qint64> atRanks(const Tally &t, qsizetype ranks)
{
    QList<qint64> out(ranks + 1, 0);
    out[0] = t.values;
    for (double rank : t.numbers)
        if (!std::isnan(rank))
            ++out[std::clamp<qsizetype>(qsizetype(rank), 1, ranks)];
    return out;
}

// The mean rank's part, its rows and bars to come, and its chart on an axis of the ranks.
Part meanRankPart(qsizetype ranks)
{
    Part mean{
        QStringLiteral("平均名次"),
        {QStringLiteral("平均名次只在排序了该项的企业中计算（1 为最重要）：排到的企业少，平均名次就靠不住。")},
        {Table{{QStringLiteral("选项"), QStringLiteral("排序该项的企业数"),
                QStringLiteral("平均名次（在排序该项的企业中）")},
               {}}},
        {Chart{QStringLiteral("平均名次（越小越靠前）"),
               {},
               {{QStringLiteral("平均名次"), {}}},
               QStringLiteral("平均名次")}}};
    Chart &chart = mean.charts.front();
    chart.decimals = 2;
    chart.axisFrom = 1;
    chart.axisTo = double(ranks);
    return mean;
}

// An option's mean rank, among those who ranked it, as a row and a bar.
void addMeanRank(Part &mean, const DataSet::Variable &v, const QString &caption, const Tally &t)
{
    double sum = 0;
    for (double rank : t.numbers)
        if (!std::isnan(rank))
            sum += rank;
    const double meanRank = t.values > 0 ? sum / double(t.values) : kNone;
    mean.tables[0].rows.append({text(caption), count(v.name, QStringLiteral("ranked"), t.values),
                                figure(v.name, QStringLiteral("mean_rank"), meanRank, 2)});
    Chart &chart = mean.charts.front();
    chart.categories << QStringLiteral("%1\n（在排序该项的 %2 家企业中）").arg(caption, whole(t.values));
    chart.series[0].values << (std::isnan(meanRank) ? 0.0 : meanRank);
}

// Everything one section needs to find its variables.
class Builder {
public:
    Builder(const DataSet &data, const QStringList &groupBy)
        : data_(data), tallies_(tally(data)), breakdowns_(data, tallies_, groupBy)
    {
        const QList<DataSet::Variable> &vars = data.variables();
        for (qsizetype i = 0; i < vars.size(); ++i)
            if (vars[i].line > 0)
                byLine_[vars[i].line].append(i);
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
        b.title = titleOf(Survey::line(lineNumber), false);
        b.notes = unansweredNotes(v, t);
        b.table.header = {QStringLiteral("选项"), QStringLiteral("企业数"), QStringLiteral("占作答的比例")};
        Chart chart = shareChart(b.title);
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
        b.parts << breakdowns_.ofChoice(i);
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
        b.title = titleOf(line, false);
        if (line.maxTicks > 0)
            b.notes << QStringLiteral("本题最多选 %1 项。").arg(line.maxTicks);
        b.notes << (first.missingWhenUnanswered ? QStringLiteral("作答 %1 家；一项都未选（未作答）%2 家。")
                                                      .arg(whole(answered.values), whole(answered.missing))
                                                : QStringLiteral("填写 %1 家；一项都未选也算作答；无法读取 %2 家。")
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
        b.parts << breakdowns_.ofTicks(line, flags);
        addOthers(b, line.number);
        return b;
    }

    // How many put each option at each rank, and how many left it out; then
    // the mean rank, among those who ranked the option only, which says so.
    Block ranking(const Line &line) const
    {
        Block b;
        b.title = titleOf(line, false);
        const qsizetype ranks = line.letters.size();
        b.table.header = {QStringLiteral("选项")};
        for (qsizetype r = 1; r <= ranks; ++r)
            b.table.header << rankName(r);
        b.table.header << QStringLiteral("未排序");
        QStringList captions;
        QList<QList<qint64>> counts; // of each option: ranked at all, then at each rank
        Part mean = meanRankPart(ranks);
        qint64 rankedAny = 0;
        for (qsizetype i : byLine_.value(line.number)) {
            const DataSet::Variable &v = var(i);
            if (v.kind == Kind::RankLetter && v.position == 0)
                rankedAny = tallies_[i].values;
            if (v.kind != Kind::RankOf)
                continue;
            const QString caption =
                DataSet::letterCaption(line.letters.mid(v.position, 1), line.positions.value(v.position));
            counts << atRanks(tallies_[i], ranks);
            captions << caption;
            QList<Cell> row{text(caption)};
            for (qsizetype r = 1; r <= ranks; ++r)
                row << count(v.name, QStringLiteral("rank:%1").arg(r), counts.back()[r]);
            row << count(v.name, QStringLiteral("unranked"), data_.rowCount() - tallies_[i].values);
            b.table.rows.append(row);
            addMeanRank(mean, v, caption, tallies_[i]);
        }
        b.notes << QStringLiteral(
                       "排序的企业 %1 家；一项都未排 %2 家。“未排序”是没有排到该项的企业，一项都未排的也在其中。")
                       .arg(whole(rankedAny), whole(data_.rowCount() - rankedAny));
        if (rankedAny > 0)
            b.charts << rankShares(captions, counts, rankedAny);
        else
            mean.charts.clear();
        b.parts << mean;
        return b;
    }

    // A figure of one year or of both, with its change where both are given.
    Block figures(const Line &line, const Line *later) const
    {
        QList<qsizetype> vars{byLine_.value(line.number).value(0)};
        if (later)
            vars << byLine_.value(later->number).value(0);
        Block b;
        b.title = titleOf(line, later != nullptr);
        b.table.header = {QStringLiteral("统计量")};
        QList<std::vector<double>> sorted;
        QStringList years;
        for (qsizetype i : vars) {
            const QString year = Survey::line(var(i).line).year;
            b.table.header << (later ? year : QStringLiteral("数值"));
            years << (year.isEmpty() ? QStringLiteral("企业数") : year);
            sorted.append(sortedFigures(tallies_[i]));
        }
        // Each statistic with one number of decimals, here and in every breakdown.
        const FigureGroups groups = breakdowns_.figureGroups(vars);
        QHash<QString, int> decimals;
        for (const Statistic &s : statistics()) {
            QList<double> values;
            for (const std::vector<double> &x : sorted)
                values << s.of(x);
            const QString key = s.key.toString();
            decimals.insert(key, decimalsOf(values + groups.values(s.key)));
            QList<Cell> row{text(s.caption.toString())};
            for (qsizetype k = 0; k < vars.size(); ++k)
                row << figure(var(vars[k]).name, key, values[k], decimals.value(key));
            b.table.rows.append(row);
        }
        addFigureGaps(b, vars);
        if (later)
            addChange(b, vars[0], vars[1]);
        if (std::any_of(sorted.begin(), sorted.end(), [](const auto &x) { return !x.empty(); }))
            b.charts << histogram(b.title, sorted, years);
        b.parts << breakdowns_.ofFigures(groups, vars, decimals);
        return b;
    }

    // The "其他" texts, after the question's breakdowns.
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
        Part others{QStringLiteral("“%1”填写的文字（相同的合并计数）").arg(option.trimmed())};
        const Table texts = othersTable(var(i), tallies_[i]);
        if (texts.isEmpty())
            others.notes << QStringLiteral("（无）");
        else
            others.tables << texts;
        b.parts << others;
    }

private:
    const DataSet::Variable &var(qsizetype i) const { return data_.variables()[i]; }

    // 不适用 (with when, in the survey's words) and blank, below the statistics.
    void addFigureGaps(Block &b, const QList<qsizetype> &vars) const
    {
        const DataSet::Variable &v0 = var(vars.front());
        if (v0.canBeNotApplicable()) {
            QList<Cell> row{text(DataSet::notApplicableLabel())};
            for (qsizetype i : vars)
                row << count(var(i).name, QStringLiteral("na"), tallies_[i].notApplicable);
            b.table.rows.append(row);
            b.notes << v0.notApplicableWhen + QStringLiteral("。");
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
            figure(name, QStringLiteral("median_change"), c.medianChange, decimalsOf({c.medianChange})));
        row(QStringLiteral("增加的企业数"), count(name, QStringLiteral("rises"), c.rises));
        row(QStringLiteral("减少的企业数"), count(name, QStringLiteral("falls"), c.falls));
        row(QStringLiteral("不变的企业数"), count(name, QStringLiteral("same"), c.same));
    }

    const DataSet &data_;
    QList<Tally> tallies_;
    Breakdowns breakdowns_;
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
    if (!s.data.filter().isEmpty()) {
        // The report holds only the records the filter kept; the problem report every file.
        row(QStringLiteral("筛选"), text(s.data.filter()));
        row(QStringLiteral("筛选去掉的企业"), count(files, QStringLiteral("filtered_out"), m.filteredOut));
    }
    row(QStringLiteral("问题清单中的条目"), count(files, QStringLiteral("problems"), m.problems));
    const CheckTotals checked = checkTotals(s.data);
    const QString checks = QStringLiteral("checks");
    row(QStringLiteral("数据核查：“错误”（条）"), count(checks, QStringLiteral("errors"), checked.errors));
    row(QStringLiteral("数据核查：“疑问”（条）"), count(checks, QStringLiteral("doubts"), checked.doubts));
    row(QStringLiteral("数据核查：有发现的文件"), count(checks, QStringLiteral("files_with_findings"), checked.files));
    QStringList problems;
    for (const QString &path : s.problemFiles)
        problems << QDir::toNativeSeparators(path);
    row(QStringLiteral("问题清单"),
        text(problems.isEmpty() ? QStringLiteral("未写出（命令行用 --problems 文件.csv，窗口中“保存问题表…”）")
                                : problems.join(QStringLiteral("；"))));
    if (!s.groupBy.isEmpty())
        row(QStringLiteral("分组"), text(Breakdowns::titles(s.groupBy).join(QStringLiteral("；"))));
    b.notes << QStringLiteral("以下各题的比例都以作答的企业为分母；“不适用”（按前面的回答不需填写）和“未填”分开计数。");
    if (!s.groupBy.isEmpty())
        b.notes << QStringLiteral("每道题的总体结果之后是它的分组结果。");
    return Section{title, {b}};
}

// The heading each tab's first line opens: the tab's own title.
QHash<int, QString> tabHeadings()
{
    QHash<int, QString> headings;
    for (const Performance::FiguresTab &tab : Performance::content().tabs)
        if (!tab.rows.empty())
            headings.insert(tab.rows.front().line2013, tab.subHeading.toString().trimmed());
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
    const Builder builder(source.data, source.groupBy);
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
