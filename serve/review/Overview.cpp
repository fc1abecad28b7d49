#include "serve/review/Overview.h"

#include "collect/report/ReportChart.h"
#include "serve/review/States.h"
#include "serve/store/Current.h"
#include "serve/store/Sql.h"
#include "survey/DataChecks.h"

#include <QJsonArray>
#include <QMap>
#include <QSqlQuery>

#include <mutex>

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

bool counts(QSqlQuery &q, QJsonObject &out, QString *error)
{
    q.prepare("SELECT COUNT(*), COALESCE(SUM(accepted), 0) FROM submissions");
    if (!Sql::run(q, error) || !q.next())
        return false;
    const qint64 received = q.value(0).toLongLong(), accepted = q.value(1).toLongLong();
    // Grouped rather than COUNT(DISTINCT), which PostgreSQL can only sort for.
    const auto enterprises = number(q, "SELECT COUNT(*) + "
                                       "(SELECT COUNT(*) FROM submissions WHERE accepted = 1 AND enterprise_key = '') "
                                       "FROM (SELECT enterprise_key FROM submissions WHERE accepted = 1 "
                                       "AND enterprise_key <> '' GROUP BY enterprise_key) e", error);
    const auto sentBack = number(q, "SELECT COUNT(*) FROM submissions s JOIN reviews r ON r.submission_id = s.id "
                                    "WHERE s.accepted = 1 AND r.state = 'rejected'", error);
    if (!enterprises || !sentBack)
        return false;
    out.insert("received", received);
    out.insert("accepted", accepted);
    out.insert("rejected", received - accepted);
    out.insert("enterprises", *enterprises);
    out.insert("sentBack", *sentBack);
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

// The files that count now, found once: their number (the row without a
// check), and their findings by check, all and those checked.
bool findings(QSqlQuery &q, QJsonObject &out, QString *error)
{
    q.prepare("WITH c AS MATERIALIZED (" + Current::submissionIds() +
              ") SELECT '', COUNT(*), 0 FROM c UNION ALL "
              "SELECT f.check_id, COUNT(*), 0 FROM findings f WHERE f.submission_id IN (SELECT id FROM c) GROUP BY f.check_id "
              "UNION ALL SELECT f.check_id, 0, COUNT(*) FROM checked_findings k JOIN findings f "
              "ON f.submission_id = k.submission_id AND f.finding = k.finding "
              "WHERE k.submission_id IN (SELECT id FROM c) GROUP BY f.check_id");
    if (!Sql::run(q, error))
        return false;
    QHash<QString, std::pair<qint64, qint64>> counted;
    while (q.next()) {
        auto &[all, checked] = counted[q.value(0).toString()];
        all += q.value(1).toLongLong();
        checked += q.value(2).toLongLong();
    }
    const qint64 current = counted.value({}).first;
    out.insert("current", current);
    out.insert("replaced", out.value("accepted").toInteger() - out.value("sentBack").toInteger() - current);
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

// What the overview shows changes only when a submission arrives or a
// collector changes something, which is always a line of the audit log: the
// newest of both stamps an answer, kept until they move on.
std::optional<QString> stamp(QSqlQuery &q, QString *error)
{
    q.prepare("SELECT (SELECT COALESCE(MAX(id), 0) FROM submissions), (SELECT COALESCE(MAX(id), 0) FROM audit_log)");
    if (!Sql::run(q, error) || !q.next())
        return std::nullopt;
    return q.value(0).toString() + '/' + q.value(1).toString();
}

template <typename T>
struct Kept {
    std::mutex mutex;
    QString stamp;
    T value;

    std::optional<T> at(const QString &s)
    {
        const std::lock_guard lock(mutex);
        return s == stamp ? std::optional<T>(value) : std::nullopt;
    }
    void keep(const QString &s, const T &v)
    {
        const std::lock_guard lock(mutex);
        stamp = s;
        value = v;
    }
};

Kept<QJsonObject> keptOverview;
Kept<QByteArray> keptChart;

std::optional<QJsonObject> made(QSqlQuery &q, QString *error)
{
    QJsonObject out;
    if (!counts(q, out, error) || !states(q, out, error) || !findings(q, out, error))
        return std::nullopt;
    return out;
}

std::optional<QByteArray> drawn(QSqlQuery &q, QString *error)
{
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

// Of one moment: kept, or made in a transaction that reads one.
template <typename T, typename Make>
std::optional<T> ofMoment(Store &store, Kept<T> &kept, Make make, QString *error)
{
    if (!store.beginRead(error))
        return std::nullopt;
    QSqlQuery q(store.connection());
    const std::optional<QString> s = stamp(q, error);
    std::optional<T> answer = s ? kept.at(*s) : std::nullopt;
    if (s && !answer && (answer = make(q, error)))
        kept.keep(*s, *answer);
    q.finish();
    store.rollback(); // read only
    return answer;
}

} // namespace

std::optional<QJsonObject> of(Store &store, QString *error)
{
    return ofMoment(store, keptOverview, made, error);
}

std::optional<QByteArray> chart(Store &store, QString *error)
{
    return ofMoment(store, keptChart, drawn, error);
}

} // namespace Serve::Overview
