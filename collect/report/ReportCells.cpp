// The exact value goes into the cell's attributes at full precision, so that
// a reader of the HTML can check the shown figure against the data set.
#include "collect/report/ReportCells.h"

#include <QLocale>

#include <cmath>

namespace Report {
namespace {

QString exact(double value)
{
    return QString::number(value, 'g', 15);
}

// Grouped, two decimals where it has a fraction.
QString shown(double value)
{
    const QLocale locale(QLocale::Chinese, QLocale::China);
    if (std::isnan(value))
        return QStringLiteral("—");
    if (value == std::floor(value) && std::abs(value) < 1e15)
        return locale.toString(qint64(value));
    return locale.toString(value, 'f', 2);
}

QString percent(qint64 part, qint64 whole)
{
    return whole > 0 ? QString::number(100.0 * double(part) / double(whole), 'f', 1) + QLatin1Char('%')
                     : QStringLiteral("—");
}

} // namespace

QString whole(qint64 n)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(n);
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
    return Cell{percent(part, of), variable, stat, exact(double(part) / double(of)), true};
}

Cell figure(const QString &variable, const QString &stat, double value)
{
    if (std::isnan(value))
        return Cell{QStringLiteral("—"), {}, {}, {}, true};
    return Cell{shown(value), variable, stat, exact(value), true};
}

} // namespace Report
