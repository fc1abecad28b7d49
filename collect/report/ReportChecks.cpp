// Words and counts from the table of checks and the check report, the same
// as the checks file and the window say.
#include "collect/report/ReportChecks.h"

#include "collect/data/FindingRows.h"
#include "collect/report/ReportCells.h"

#include <QSet>

#include <algorithm>

namespace Report {

namespace {

bool isError(const DataSet::Finding &f)
{
    return DataChecks::all()[size_t(f.check.check)].severity == DataChecks::Severity::Error;
}

// The checks' indices, those of "错误" first, each severity in the table's order.
QList<qsizetype> checksInOrder()
{
    const std::span<const DataChecks::Check> checks = DataChecks::all();
    QList<qsizetype> order;
    for (qsizetype c = 0; c < qsizetype(checks.size()); ++c)
        order << c;
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return checks[size_t(a)].severity < checks[size_t(b)].severity; });
    return order;
}

Cell severityCell(DataChecks::Severity severity)
{
    Cell cell{DataChecks::severityText(severity)};
    cell.unbroken = true;
    return cell;
}

} // namespace

CheckTotals checkTotals(const DataSet &data)
{
    CheckTotals totals;
    QSet<qsizetype> files;
    for (const DataSet::Finding &f : data.findings()) {
        if (f.checked) {
            ++totals.checked;
            continue;
        }
        ++(isError(f) ? totals.errors : totals.doubts);
        files.insert(f.row);
    }
    totals.files = files.size();
    return totals;
}

namespace {

// Each check: its findings and the files they are in.
Block checksOverview(const DataSet &data)
{
    // The counts say what they are by the data set's column of the checks' ids.
    const QString column = QStringLiteral("checks");
    const std::span<const DataChecks::Check> checks = DataChecks::all();
    const QList<qsizetype> counts = FindingRows::counts(data);
    QList<QSet<qsizetype>> files(qsizetype(checks.size()));
    for (const DataSet::Finding &f : data.findings())
        if (!f.checked)
            files[f.check.check].insert(f.row);

    Block overview;
    overview.title = QStringLiteral("各项核查的发现");
    overview.notes << QStringLiteral("核查不改动任何数据：它找出互相矛盾或极不可能的回答和数字，供人工核实。"
                                     "“错误”指两者不可能同时成立，“疑问”指不大可能。");
    const CheckTotals totals = checkTotals(data);
    overview.notes << QStringLiteral("有发现的文件 %1 个（共 %2 个）。").arg(whole(totals.files), whole(data.rowCount()));
    if (const qint64 checked = totals.checked; checked > 0)
        overview.notes << QStringLiteral("另有 %1 条发现已由采集人员核实（“%2”），不计在内，在下面的列表中照样列出。")
                              .arg(whole(checked), FindingRows::statusText(true));
    overview.table.header = {QStringLiteral("核查"), QStringLiteral("编号"),       QStringLiteral("性质"),
                             QStringLiteral("说明"), QStringLiteral("发现（条）"), QStringLiteral("涉及文件（个）")};
    for (qsizetype c : checksInOrder()) {
        const DataChecks::Check &check = checks[size_t(c)];
        overview.table.rows.append({{check.title.toString()},
                                    {check.id.toString()},
                                    severityCell(check.severity),
                                    {DataChecks::description(check)},
                                    count(column, check.id.toString() + QStringLiteral(":findings"), counts[c]),
                                    count(column, check.id.toString() + QStringLiteral(":files"), files[c].size())});
    }
    return overview;
}

// The findings themselves, "错误" first, as many as a report can hold.
Block findingsList(const DataSet &data)
{
    const std::span<const DataChecks::Check> checks = DataChecks::all();
    Block list;
    list.title = QStringLiteral("发现的可疑之处");
    const QList<DataSet::Finding> &findings = data.findings();
    if (findings.isEmpty())
        list.notes << QStringLiteral("没有发现。");
    list.table.header = {QStringLiteral("文件"), QStringLiteral("企业"), QStringLiteral("核查"), QStringLiteral("性质"),
                         QStringLiteral("涉及的数值")};
    QList<qsizetype> listed;
    for (qsizetype i = 0; i < findings.size(); ++i)
        listed << i;
    std::stable_partition(listed.begin(), listed.end(), [&](qsizetype i) { return isError(findings[i]); });
    listed.resize(std::min(listed.size(), kMostChecksListed));
    using C = FindingRows::Column;
    for (qsizetype i : listed) {
        const DataSet::Finding &f = findings[i];
        const DataChecks::Check &check = checks[size_t(f.check.check)];
        const QString title = check.title.toString();
        list.table.rows.append({{FindingRows::cell(data, f, C::File)},
                                {FindingRows::cell(data, f, C::Enterprise)},
                                {f.checked ? QStringLiteral("%1（%2）").arg(title, FindingRows::statusText(true)) : title},
                                severityCell(check.severity),
                                {FindingRows::cell(data, f, C::Values)}});
    }
    if (findings.size() > kMostChecksListed)
        list.notes << QStringLiteral(
                          "只列出前 %1 条（“错误”在前），另有 %2 条未列出；全部见核查文件或 Excel 工作簿的“核查”表。")
                          .arg(kMostChecksListed)
                          .arg(findings.size() - kMostChecksListed);
    return list;
}

} // namespace

Section checksSection(const DataSet &data)
{
    return Section{QStringLiteral("数据核查"), {checksOverview(data), findingsList(data)}};
}

} // namespace Report
