// Words and counts from the table of checks and the check report, the same
// as the checks file and the window say.
#include "collect/report/ReportChecks.h"

#include "collect/data/CheckReport.h"
#include "collect/report/ReportCells.h"

#include <QSet>

namespace Report {

Section checksSection(const DataSet &data)
{
    Section section{QStringLiteral("数据核查"), {}};
    // The counts say what they are by the data set's column of the checks' ids.
    const QString column = QStringLiteral("checks");
    const std::span<const DataChecks::Check> checks = DataChecks::all();
    const QList<qsizetype> counts = CheckReport::counts(data);
    QList<QSet<qsizetype>> files(qsizetype(checks.size()));
    for (const DataSet::Finding &f : data.findings())
        files[f.check.check].insert(f.row);

    Block overview;
    overview.title = QStringLiteral("各项核查的发现");
    overview.notes << QStringLiteral("核查不改动任何数据：它找出互相矛盾或极不可能的回答和数字，供人工核实。"
                                     "“错误”指两者不可能同时成立，“疑问”指不大可能。");
    overview.table.header = {QStringLiteral("核查"), QStringLiteral("编号"), QStringLiteral("性质"),
                             QStringLiteral("说明"), QStringLiteral("发现（条）"), QStringLiteral("涉及文件（个）")};
    for (size_t c = 0; c < checks.size(); ++c) {
        const DataChecks::Check &check = checks[c];
        overview.table.rows.append(
            {{check.title.toString()},
             {check.id.toString()},
             {DataChecks::severityText(check.severity)},
             {DataChecks::description(check)},
             count(column, check.id.toString() + QStringLiteral(":findings"), counts[qsizetype(c)]),
             count(column, check.id.toString() + QStringLiteral(":files"), files[qsizetype(c)].size())});
    }
    section.blocks << overview;

    Block list;
    list.title = QStringLiteral("发现的可疑之处");
    const QList<DataSet::Finding> &findings = data.findings();
    if (findings.isEmpty())
        list.notes << QStringLiteral("没有发现。");
    list.table.header = {QStringLiteral("文件"), QStringLiteral("企业"), QStringLiteral("核查"),
                         QStringLiteral("性质"), QStringLiteral("涉及的数值")};
    using C = CheckReport::Column;
    for (qsizetype i = 0; i < std::min(findings.size(), kMostChecksListed); ++i) {
        const DataSet::Finding &f = findings[i];
        list.table.rows.append({{CheckReport::cell(data, f, C::File)},
                                {CheckReport::cell(data, f, C::Enterprise)},
                                {checks[size_t(f.check.check)].title.toString()},
                                {CheckReport::cell(data, f, C::Severity)},
                                {CheckReport::cell(data, f, C::Values)}});
    }
    if (findings.size() > kMostChecksListed)
        list.notes << QStringLiteral("只列出前 %1 条，另有 %2 条未列出；全部见核查文件或 Excel 工作簿的“核查”表。")
                          .arg(kMostChecksListed)
                          .arg(findings.size() - kMostChecksListed);
    section.blocks << list;
    return section;
}

} // namespace Report
