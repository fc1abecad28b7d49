// The exact value goes into the cell's attributes at full precision, so that
// a reader of the HTML can check the shown figure against the data set.
#include "collect/report/ReportCells.h"

#include <algorithm>
#include <cmath>

namespace Report {
namespace {

// Significant digits that a double holds for sure: beyond them is the binary's noise.
constexpr int kSureDigits = 15;

QString exact(double value)
{
    return QString::number(value, 'g', kSureDigits);
}

QString grouped(const QString &digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

// Adds one to the last digit of a string of digits, carrying.
QString incremented(QString digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + digits;
}

} // namespace

QString whole(qint64 n)
{
    const QString digits = QString::number(n < 0 ? -n : n);
    return (n < 0 ? QStringLiteral("-") : QString()) + grouped(digits);
}

QString decimal(double value, int decimals)
{
    if (std::isnan(value))
        return QStringLiteral("—");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    // The decimal value first, at the digits a double holds for sure; then
    // rounded on those digits, half away from zero.
    const double magnitude = std::abs(value);
    const int exponent = magnitude > 0 ? int(std::floor(std::log10(magnitude))) : 0;
    const QString sure = QString::number(magnitude, 'f', std::clamp(kSureDigits - 1 - exponent, 0, 40));
    const qsizetype point = sure.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? sure : sure.left(point);
    QString fraction = point < 0 ? QString() : sure.mid(point + 1);
    fraction = fraction.leftJustified(decimals + 1, QLatin1Char('0'));
    QString kept = integer + fraction.left(decimals);
    if (fraction[decimals] >= QLatin1Char('5'))
        kept = incremented(kept);
    integer = kept.left(kept.size() - decimals);
    const QString shown = grouped(integer) + (decimals > 0 ? QLatin1Char('.') + kept.right(decimals) : QString());
    const bool zero = std::all_of(kept.begin(), kept.end(), [](QChar c) { return c == QLatin1Char('0'); });
    return (value < 0 && !zero ? QStringLiteral("-") : QString()) + shown;
}

int decimalsOf(const QList<double> &values)
{
    for (double value : values) {
        if (std::isnan(value) || std::isinf(value))
            continue;
        const QString shown = decimal(value, 2);
        if (!shown.endsWith(QLatin1String(".00")))
            return 2;
    }
    return 0;
}

QString bound(double x)
{
    if (x >= 1e8)
        return QString::number(x / 1e8, 'g', 6) + QStringLiteral("亿");
    if (x >= 1e4)
        return QString::number(x / 1e4, 'g', 6) + QStringLiteral("万");
    return QString::number(x, 'g', 6);
}

Cell text(const QString &t)
{
    return Cell{t};
}

Cell count(const QString &variable, const QString &stat, qint64 n)
{
    return Cell{whole(n), variable, stat, QString::number(n), true};
}

Cell share(const QString &variable, const QString &stat, qint64 part, qint64 of)
{
    if (of == 0)
        return Cell{QStringLiteral("—"), {}, {}, {}, true};
    return Cell{decimal(100.0 * double(part) / double(of), 1) + QLatin1Char('%'), variable, stat,
                exact(double(part) / double(of)), true};
}

Cell figure(const QString &variable, const QString &stat, double value, int decimals)
{
    if (std::isnan(value))
        return Cell{QStringLiteral("—"), {}, {}, {}, true};
    return Cell{decimal(value, decimals), variable, stat, exact(value), true};
}

double niceStep(double w)
{
    const double power = std::pow(10.0, std::floor(std::log10(w)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= w * (1 - 1e-9)) // a step a rounding error short is that step
            return m * power;
    return 10 * power;
}

} // namespace Report
