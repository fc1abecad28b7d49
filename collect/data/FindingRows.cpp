// A finding's row from the data set: its file and name from the record, its
// words from the table of checks and the record's lines.
#include "collect/data/FindingRows.h"

#include "collect/data/SameKeys.h"

#include "survey/ResultFileFormat.h"

#include <QHash>

namespace FindingRows {
namespace {

QString lineText(const DataSet::Record &record, int line)
{
    // The name is the first line: found without splitting the others.
    if (line == 1) {
        const qsizetype end = record.text.indexOf('\n');
        return QString::fromUtf8(end < 0 ? record.text : record.text.first(end));
    }
    return QString::fromUtf8(DataSet::split(record)[size_t(line - 1)]);
}

QString values(const DataSet &data, const DataSet::Finding &f)
{
    const DataChecks::Check &check = DataChecks::all()[size_t(f.check.check)];
    const DataSet::Record &record = data.records()[f.row];
    if (check.kind != DataChecks::Kind::SameEnterprise)
        return DataChecks::values(f.check, DataSet::split(record));
    if (f.check.subject < 0 || f.check.subject >= data.rowCount())
        return {};
    const DataSet::Record &other = data.records()[f.check.subject];
    const QString label = DataChecks::nameLabel(check);
    return QStringLiteral("%1 = %2；另一个文件 %3 的%1 = %4")
        .arg(label, lineText(record, Survey::kEnterpriseNameLine), QString::fromUtf8(other.file),
             lineText(other, Survey::kEnterpriseNameLine));
}

} // namespace

QStringList columns()
{
    return {QStringLiteral("file"),     QStringLiteral("enterprise"),  QStringLiteral("check"),
            QStringLiteral("severity"), QStringLiteral("description"), QStringLiteral("values")};
}

QStringList captions()
{
    return {QStringLiteral("文件"), QStringLiteral("企业"), QStringLiteral("核查"),
            QStringLiteral("性质"), QStringLiteral("说明"), QStringLiteral("涉及的数值")};
}

QStringList columns(const DataSet &data)
{
    return data.anyChecked() ? columns() << QStringLiteral("status") : columns();
}

QString statusText(bool checked)
{
    return checked ? QStringLiteral("已核实") : QStringLiteral("未核实");
}

QString cell(const DataSet &data, const DataSet::Finding &f, Column column)
{
    if (f.row < 0 || f.row >= data.rowCount() || f.check.check < 0 ||
        f.check.check >= qsizetype(DataChecks::all().size()))
        return {};
    const DataChecks::Check &check = DataChecks::all()[size_t(f.check.check)];
    const DataSet::Record &record = data.records()[f.row];
    switch (column) {
    case Column::File:
        return QString::fromUtf8(record.file);
    case Column::Enterprise:
        return lineText(record, Survey::kEnterpriseNameLine);
    case Column::Check:
        return check.id.toString();
    case Column::Severity:
        return DataChecks::severityText(check.severity);
    case Column::Description:
        return DataChecks::description(check);
    case Column::Values:
        return values(data, f);
    }
    return {};
}

QStringList cells(const DataSet &data, const DataSet::Finding &finding)
{
    QStringList out;
    for (int c = 0; c < kColumnCount; ++c)
        out << cell(data, finding, Column(c));
    return out;
}

QList<QStringList> rows(const DataSet &data)
{
    QList<QStringList> out;
    out.reserve(data.findings().size());
    const bool status = data.anyChecked();
    for (const DataSet::Finding &f : data.findings())
        out << (status ? cells(data, f) << statusText(f.checked) : cells(data, f));
    return out;
}

QList<qsizetype> counts(const DataSet &data)
{
    QList<qsizetype> out(qsizetype(DataChecks::all().size()), 0);
    for (const DataSet::Finding &f : data.findings())
        if (!f.checked && f.check.check >= 0 && f.check.check < out.size())
            ++out[f.check.check];
    return out;
}

QList<DataSet::Finding> acrossRecords(const QStringList &enterpriseKeys)
{
    QList<DataSet::Finding> out;
    const std::span<const DataChecks::Check> checks = DataChecks::all();
    for (size_t c = 0; c < checks.size(); ++c) {
        if (checks[c].kind != DataChecks::Kind::SameEnterprise)
            continue;
        for (const QList<qsizetype> &rows : SameKeys::groups(enterpriseKeys))
            for (qsizetype row : rows)
                for (qsizetype other : rows)
                    if (other != row)
                        out.append(DataSet::Finding{row, {int(c), int(other), -1}});
    }
    return out;
}

} // namespace FindingRows
