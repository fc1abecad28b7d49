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

} // namespace

bool isOtherText(const Survey::Line &line)
{
    return line.kind == Survey::LineKind::FreeText &&
           (line.gate == Survey::GateKind::OtherOption || line.gate == Survey::GateKind::OtherIndustry ||
            line.gate == Survey::GateKind::ProjectType);
}

QList<Tally> tally(const DataSet &data)
{
    const QList<DataSet::Variable> &variables = data.variables();
    QList<Tally> tallies(variables.size());
    const size_t rows = size_t(data.rowCount());
    QList<qsizetype> counted;
    for (qsizetype i = 0; i < variables.size(); ++i)
        if (prepare(variables[i], tallies[i], rows))
            counted.append(i);
    for (size_t row = 0; row < rows; ++row) {
        const DataSet::Record &record = data.records()[qsizetype(row)];
        const DataSet::Lines lines = DataSet::split(record);
        for (qsizetype i : counted)
            count(variables[i], DataSet::cell(variables[i], record, lines), row, tallies[i]);
    }
    return tallies;
}

} // namespace Report
