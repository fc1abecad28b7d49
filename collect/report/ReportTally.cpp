// Only the variables worth a look are counted: codes, figures, ticks, ranks
// and the "其他" texts.
#include "collect/report/ReportTally.h"

#include "collect/data/DataSet.h"
#include "survey/LineMap.h"

#include <limits>

namespace Report {
namespace {

using Kind = DataSet::Kind;

// Prepares the tally of a variable; false for one the report does not count.
bool prepare(const DataSet::Variable &v, Tally &t, size_t rows)
{
    switch (v.kind) {
    case Kind::Code:
    case Kind::ListItem:
    case Kind::RankLetter:
        t.byCode.fill(0, v.codes.size());
        return true;
    case Kind::Number:
    case Kind::RankOf:
        t.numbers.assign(rows, std::numeric_limits<double>::quiet_NaN());
        return true;
    case Kind::Flag:
        return true;
    case Kind::Text:
        return isOtherText(Survey::line(v.line));
    default:
        return false;
    }
}

void count(const DataSet::Variable &v, const DataSet::Cell &cell, size_t row, Tally &t)
{
    if (cell.state == DataSet::Cell::State::NotApplicable) {
        ++t.notApplicable;
        return;
    }
    if (!cell.isValue()) {
        ++t.missing;
        return;
    }
    ++t.values;
    switch (v.kind) {
    case Kind::Code:
    case Kind::ListItem:
    case Kind::RankLetter:
        for (qsizetype k = 0; k < v.codes.size(); ++k)
            if (cell.text == v.codes[k]) {
                ++t.byCode[k];
                break;
            }
        break;
    case Kind::Number:
    case Kind::RankOf:
        t.numbers[row] = cell.number;
        break;
    case Kind::Flag:
        t.ticked += cell.number == 1;
        break;
    case Kind::Text:
        ++t.texts[QString::fromUtf8(cell.text).trimmed()];
        break;
    default:
        break;
    }
}

// Counts every record into the tally of its group, each group's figures in
// the order of its records.
void countInto(const DataSet &data, Grouping &grouping, const QList<qsizetype> &groupOf)
{
    const QList<DataSet::Variable> &variables = data.variables();
    QList<qsizetype> counted;
    for (const Group &group : grouping.groups) {
        QList<Tally> tallies(variables.size());
        counted.clear();
        for (qsizetype i = 0; i < variables.size(); ++i)
            if (prepare(variables[i], tallies[i], size_t(group.size)))
                counted.append(i);
        grouping.tallies.append(tallies);
    }
    QList<size_t> rowInGroup(grouping.groups.size(), 0);
    for (qsizetype row = 0; row < data.rowCount(); ++row) {
        const qsizetype g = groupOf[row];
        QList<Tally> &tallies = grouping.tallies[g];
        const DataSet::Record &record = data.records()[row];
        const DataSet::Lines lines = DataSet::split(record);
        for (qsizetype i : counted)
            count(variables[i], DataSet::cell(variables[i], record, lines), rowInGroup[g], tallies[i]);
        ++rowInGroup[g];
    }
}

} // namespace

bool isOtherText(const Survey::Line &line)
{
    return line.kind == Survey::LineKind::FreeText &&
           (line.gate == Survey::GateKind::OtherOption || line.gate == Survey::GateKind::OtherIndustry ||
            line.gate == Survey::GateKind::ProjectType);
}

QList<Tally> tally(const DataSet &data)
{
    Grouping all;
    all.groups = {Group{{}, {}, data.rowCount()}};
    countInto(data, all, QList<qsizetype>(data.rowCount(), 0));
    return all.tallies.front();
}

bool canGroupBy(const DataSet::Variable &v)
{
    return v.kind == Kind::Code || v.kind == Kind::ListItem;
}

Grouping tallyBy(const DataSet &data, qsizetype by)
{
    const DataSet::Variable &v = data.variables()[by];
    // Each code, then 不适用, then blank; a record's group by its cell.
    const qsizetype notApplicable = v.codes.size(), blank = v.codes.size() + 1;
    QList<qsizetype> groupOf(data.rowCount(), blank);
    QList<qint64> sizes(blank + 1, 0);
    for (qsizetype row = 0; row < data.rowCount(); ++row) {
        const DataSet::Record &record = data.records()[row];
        const DataSet::Cell cell = DataSet::cell(v, record, DataSet::split(record));
        if (cell.state == DataSet::Cell::State::NotApplicable)
            groupOf[row] = notApplicable;
        else if (cell.isValue())
            groupOf[row] = std::max<qsizetype>(0, v.codes.indexOf(cell.text.toByteArray()));
        ++sizes[groupOf[row]];
    }
    Grouping grouping;
    grouping.by = by;
    QList<qsizetype> kept(blank + 1, -1);
    for (qsizetype g = 0; g <= blank; ++g) {
        if (sizes[g] == 0)
            continue;
        kept[g] = grouping.groups.size();
        if (g < notApplicable)
            grouping.groups.append({v.valueLabels[g].label, QString::number(v.values[g]), sizes[g]});
        else if (g == notApplicable)
            grouping.groups.append({DataSet::notApplicableLabel(), QStringLiteral("na"), sizes[g]});
        else
            grouping.groups.append({QStringLiteral("未填"), QStringLiteral("blank"), sizes[g]});
    }
    for (qsizetype &g : groupOf)
        g = kept[g];
    countInto(data, grouping, groupOf);
    return grouping;
}

} // namespace Report
