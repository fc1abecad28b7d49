#include "serve/review/Overview.h"

#include "collect/report/ReportChart.h"
#include "serve/review/States.h"
#include "serve/store/Current.h"
#include "serve/store/Sql.h"
#include "survey/DataChecks.h"

#include <QJsonArray>
#include <QMap>
#include <QSqlQuery>

namespace Serve::Overview {

namespace {

// One number of a query without arguments.
std::optional<qint64> number(QSqlQuery &q, const QString &sql, QString *error)
{
    q.prepare(sql);
    if (!Sql::run(q, error) || !q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

QString currentIds()
{
    return QStringLiteral("(%1)").arg(QLatin1String(Current::kSubmissionIds));
}

bool counts(QSqlQuery &q, QJsonObject &out, QString *error)
{
    q.prepare("SELECT COUNT(*), COALESCE(SUM(accepted), 0) FROM submissions");
    if (!Sql::run(q, error) || !q.next())
        return false;
    const qint64 received = q.value(0).toLongLong(), accepted = q.value(1).toLongLong();
    const auto current = number(q, "SELECT COUNT(*) FROM " + currentIds() + " c", error);
    const auto enterprises = number(q, "SELECT COUNT(DISTINCT enterprise_key) + "
                                       "(SELECT COUNT(*) FROM submissions WHERE accepted = 1 AND enterprise_key = '') "
                                       "FROM submissions WHERE accepted = 1 AND enterprise_key <> ''", error);
    const auto sentBack = number(q, "SELECT COUNT(*) FROM submissions s JOIN reviews r ON r.submission_id = s.id "
                                    "WHERE s.accepted = 1 AND r.state = 'rejected'", error);
    if (!current || !enterprises || !sentBack)
        return false;
    out.insert("received", received);
    out.insert("accepted", accepted);
    out.insert("rejected", received - accepted);
    out.insert("enterprises", *enterprises);
    out.insert("current", *current);
    out.insert("sentBack", *sentBack);
    out.insert("replaced", accepted - *sentBack - *current);
    return true;
}

bool states(QSqlQuery &q, QJsonObject &out, QString *error)
{
    q.prepare("SELECT state, COUNT(*) FROM reviews WHERE state <> 'received' GROUP BY state");
    if (!Sql::run(q, error))
        return false;
    QHash<QString, qint64> counted;
    qint64 reviewed = 0;
    while (q.next()) {
        counted.insert(q.value(0).toString(), q.value(1).toLongLong());
        reviewed += q.value(1).toLongLong();
    }
    counted.insert(Current::kReceived, out.value("received").toInteger() - reviewed);
    QJsonArray list = States::all();
    for (QJsonValueRef s : list) {
        QJsonObject o = s.toObject();
        o.insert("count", counted.value(o["value"].toString()));
        s = o;
    }
    out.insert("states", list);
    return true;
}

// The findings of the files that count now, by check: open and checked.
bool findings(QSqlQuery &q, QJsonObject &out, QString *error)
{
    q.prepare("SELECT f.check_id, COUNT(*), COUNT(k.finding) FROM findings f JOIN " + currentIds() +
              " c ON c.id = f.submission_id LEFT JOIN checked_findings k "
              "ON k.submission_id = f.submission_id AND k.finding = f.finding GROUP BY f.check_id");
    if (!Sql::run(q, error))
        return false;
    QHash<QString, std::pair<qint64, qint64>> counted;
    while (q.next())
        counted.insert(q.value(0).toString(), {q.value(1).toLongLong(), q.value(2).toLongLong()});
    QJsonArray list;
    for (const DataChecks::Check &check : DataChecks::all()) {
        const auto [all, checked] = counted.value(check.id.toString());
        list.append(QJsonObject{{"check", check.id.toString()},
                                {"title", check.title.toString()},
                                {"severity", DataChecks::severityText(check.severity)},
                                {"open", all - checked},
                                {"checked", checked}});
    }
    out.insert("findings", list);
    return true;
}

// Accepted files by local day: counted by the hour in the database, whose
// times are UTC, and put on the local day here.
std::optional<QMap<QString, qint64>> byDay(QSqlQuery &q, QString *error)
{
    q.prepare("SELECT substr(received, 1, 13), COUNT(*) FROM submissions WHERE accepted = 1 GROUP BY 1");
    if (!Sql::run(q, error))
        return std::nullopt;
    QMap<QString, qint64> days;
    while (q.next()) {
        const QDateTime hour = QDateTime::fromString(q.value(0).toString() + ":00:00Z", Qt::ISODate);
        days[hour.toLocalTime().toString("yyyy-MM-dd")] += q.value(1).toLongLong();
    }
    return days;
}

} // namespace

std::optional<QJsonObject> of(Store &store, QString *error)
{
    if (!store.beginRead(error))
        return std::nullopt;
    QSqlQuery q(store.connection());
    QJsonObject out;
    bool ok = counts(q, out, error) && states(q, out, error) && findings(q, out, error);
    const auto days = ok ? byDay(q, error) : std::nullopt;
    q.finish();
    store.rollback(); // read only
    if (!ok || !days)
        return std::nullopt;
    out.insert("days", days->size());
    return out;
}

std::optional<QByteArray> chart(Store &store, QString *error)
{
    QSqlQuery q(store.connection());
    const auto days = byDay(q, error);
    if (!days)
        return std::nullopt;
    Report::Chart c;
    c.title = days->size() > kChartDays ? QStringLiteral("每天收到的合格文件（最近 %1 天）").arg(kChartDays)
                                        : QStringLiteral("每天收到的合格文件");
    c.valueTitle = QStringLiteral("文件数");
    c.series.append({QStringLiteral("合格文件"), {}});
    for (auto it = days->begin(); it != days->end(); ++it)
        if (std::distance(it, days->end()) <= kChartDays) {
            c.categories << it.key();
            c.series[0].values << double(it.value());
        }
    return Report::svg(ReportChart::layout(c), c.title);
}

} // namespace Serve::Overview
