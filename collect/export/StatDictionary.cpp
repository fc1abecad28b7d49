// Widths and formats read off the data: one pass over the texts and figures.
#include "collect/export/StatDictionary.h"

#include "collect/export/CsvText.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"

#include <algorithm>

namespace {

using Kind = DataSet::Kind;

constexpr int kMostDecimals = 16; // SPSS shows at most 16 decimals
constexpr int kMostNumberWidth = 40;
constexpr int kMostDisplayWidth = 60;
// A column as wide as its name, up to this many characters, so that the name shows.
constexpr int kNameWidth = 12;

// Columns a text takes on screen: a Chinese character takes two.
qsizetype screenColumns(QByteArrayView utf8)
{
    qsizetype columns = 0;
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 || (byte >= 0xC0 && byte < 0xE0))
            columns += 1;
        else if (byte >= 0xE0)
            columns += 2;
    }
    return columns;
}

int digitsOf(int value)
{
    return int(QString::number(value).size());
}

} // namespace

QString statFileLabel(const DataSet &data)
{
    if (data.filter().isEmpty())
        return kStatDataSetTitle.toString();
    const QByteArray utf8 = data.filter().toUtf8();
    if (utf8.size() <= StatLimits::kSpssFileLabelBytes)
        return data.filter();
    // A cut label says so; the notes hold it whole.
    const QString more = QStringLiteral("…");
    return QString::fromUtf8(TextLimit::cutBytes(utf8, StatLimits::kSpssFileLabelBytes - more.toUtf8().size())) + more;
}

QString StatColumn::spssFormat(const DataSet::Variable &v, const TextLimit &limit) const
{
    if (!v.isNumeric())
        return QStringLiteral("A%1").arg(std::min(bytes, limit.most > 0 ? limit.most : bytes));
    if (v.kind == Kind::Modified)
        return QStringLiteral("DATETIME20");
    return QStringLiteral("F%1.%2").arg(width).arg(decimals);
}

// Put together, not through arg(): "%1.%2f".arg(1) would give a new "%1" to
// the next arg().
QString StatColumn::stataFormat(const DataSet::Variable &v) const
{
    const QString percent = QStringLiteral("%");
    if (!v.isNumeric())
        return isStrL() ? QString() : percent + QString::number(bytes) + QLatin1Char('s');
    if (v.kind == Kind::Modified)
        return QStringLiteral("%tcCCYY-NN-DD_HH:MM:SS");
    if (v.kind == Kind::Number)
        return percent + QString::number(width) + QLatin1Char('.') + QString::number(decimals) + QLatin1Char('f');
    return {};
}

bool stataLabelled(const DataSet::Variable &v)
{
    return !v.valueLabels.isEmpty() && v.kind != Kind::Number;
}

QList<StatColumn> statColumns(const DataSet &data)
{
    const QList<DataSet::Variable> &variables = data.variables();
    QList<StatColumn> columns(variables.size());
    QList<qsizetype> integerDigits(variables.size(), 1);
    QList<qsizetype> screen(variables.size(), 1);
    for (const DataSet::Record &record : data.records()) {
        const DataSet::Lines lines = DataSet::split(record);
        for (qsizetype i = 0; i < variables.size(); ++i) {
            const DataSet::Variable &v = variables[i];
            if (v.isNumeric() && v.kind != Kind::Number)
                continue;
            const DataSet::Cell cell = DataSet::cell(v, record, lines);
            if (!cell.isValue())
                continue;
            if (!v.isNumeric()) {
                columns[i].bytes = std::max(columns[i].bytes, cell.text.size());
                columns[i].csvBytes =
                    std::max(columns[i].csvBytes, cell.text.size() + (CsvText::needsFormulaMark(cell.text) ? 1 : 0));
                screen[i] = std::max(screen[i], screenColumns(cell.text));
                continue;
            }
            const QByteArrayView number = RecordCheck::numberText(cell.text).value_or(QByteArrayView());
            const qsizetype point = number.indexOf('.');
            const qsizetype whole = point < 0 ? number.size() : point;
            integerDigits[i] = std::max(integerDigits[i], whole);
            if (point >= 0)
                columns[i].decimals = std::max(columns[i].decimals, int(number.size() - point - 1));
        }
    }
    for (qsizetype i = 0; i < variables.size(); ++i) {
        const DataSet::Variable &v = variables[i];
        StatColumn &c = columns[i];
        const int name = std::min(int(v.name.size()), kNameWidth);
        if (!v.isNumeric()) {
            c.displayWidth = int(std::clamp<qsizetype>(screen[i], name, kMostDisplayWidth));
            continue;
        }
        if (v.kind == Kind::Modified) {
            c.width = 20;
        } else if (v.kind == Kind::Number) {
            c.decimals = std::min(c.decimals, kMostDecimals);
            c.width = int(integerDigits[i]) + (c.decimals > 0 ? c.decimals + 1 : 0);
        } else {
            int widest = 1;
            for (const DataSet::ValueLabel &l : v.valueLabels)
                widest = std::max(widest, digitsOf(l.value));
            for (int value : v.values)
                widest = std::max(widest, digitsOf(value));
            if (v.kind == Kind::RankOf)
                widest = digitsOf(Survey::line(v.line).letters.size());
            c.width = widest;
        }
        if (v.canBeNotApplicable())
            c.width = std::max(c.width, digitsOf(DataSet::kNotApplicableCode) + c.decimals + (c.decimals > 0));
        c.width = std::min(c.width, kMostNumberWidth);
        c.displayWidth = std::clamp(c.width, name, kMostDisplayWidth);
    }
    return columns;
}

double spssDateTime(double localSeconds)
{
    constexpr double kSeconds1582To1970 = 12219379200.0;
    return localSeconds + kSeconds1582To1970;
}

double stataDateTime(double localSeconds)
{
    constexpr double kSeconds1960To1970 = 315619200.0;
    return (localSeconds + kSeconds1960To1970) * 1000.0;
}
