#include "serve/review/SubmissionList.h"

#include "serve/review/States.h"
#include "serve/store/Current.h"
#include "serve/store/Sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QVariantList>

namespace Serve::SubmissionList {

namespace {

// A LIKE pattern that finds the text as it stands, wildcards included.
QString containing(QString text)
{
    text.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    return '%' + text + '%';
}

struct Where {
    QString sql;
    QVariantList values;

    void add(const QString &condition, const QVariant &value = {})
    {
        sql += (sql.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + condition;
        if (value.isValid())
            values << value;
    }
};

// Flags and numbers are compared as expressions, not as columns: so the
// scan stays on the listed index in id order and a page stops at its last row.
Where whereOf(const Filter &f)
{
    Where w;
    if (!f.name.isEmpty())
        w.add("s.enterprise_key LIKE ? ESCAPE '\\'", containing(f.name));
    if (f.accepted >= 0)
        w.add("s.accepted + 0 = ?", f.accepted);
    if (f.state == QLatin1String(Current::kReceived))
        w.add("(r.state IS NULL OR r.state = ?)", f.state);
    else if (!f.state.isEmpty())
        w.add("r.state = ?", f.state);
    if (!f.check.isEmpty())
        w.add("EXISTS (SELECT 1 FROM findings f WHERE f.submission_id = s.id AND f.check_id = ?)", f.check);
    if (f.code)
        w.add("s.code_id + 0 = ?", f.code);
    return w;
}

bool prepared(QSqlQuery &q, const QString &sql, const QVariantList &values, QString *error)
{
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    return Sql::run(q, error);
}

QJsonObject rowOf(const QSqlQuery &q)
{
    const QJsonObject verdict = QJsonDocument::fromJson(q.value(7).toByteArray()).object();
    const QString state = q.value(8).isNull() ? QString::fromLatin1(Current::kReceived) : q.value(8).toString();
    return {{"id", q.value(0).toLongLong()},
            {"received", Sql::timeOf(q.value(1)).toString(Qt::ISODateWithMs)},
            {"receivedText", Sql::timeOf(q.value(1)).toLocalTime().toString("yyyy-MM-dd HH:mm:ss")},
            {"enterprise", q.value(2).toString()},
            {"fileName", q.value(3).toString()},
            {"code", q.value(4).toString()},
            {"accepted", q.value(5).toInt() != 0},
            {"reason", q.value(6).toString()},
            {"problems", verdict.value("problems").toArray().size()},
            {"findings", verdict.value("findings").toArray().size()},
            {"state", state},
            {"stateText", States::text(state)}};
}

} // namespace

std::optional<Filter> filterOf(const Request &request, QString *refusal)
{
    Filter f;
    f.name = request.argument("q").trimmed().left(200);
    f.check = request.argument("check");
    f.state = request.argument("state");
    const QString accepted = request.argument("accepted");
    bool ok = true;
    if (!accepted.isEmpty())
        f.accepted = accepted == "1" ? 1 : accepted == "0" ? 0 : -2;
    if (!request.argument("code").isEmpty())
        f.code = request.argument("code").toLongLong(&ok);
    if (ok && !request.argument("before").isEmpty())
        f.before = request.argument("before").toLongLong(&ok);
    if (ok && !request.argument("limit").isEmpty())
        f.limit = request.argument("limit").toInt(&ok);
    if (!ok || f.accepted == -2 || f.code < 0 || f.before < 0 || f.limit < 1 || f.limit > kMaxLimit ||
        (!f.state.isEmpty() && !States::known(f.state)) || f.check.size() > 100) {
        *refusal = QStringLiteral("筛选条件不对。");
        return std::nullopt;
    }
    return f;
}

// The page's ids first, from the index alone; then those rows whole.
std::optional<QJsonObject> page(Store &store, const Filter &filter, QString *error)
{
    const QString from = QStringLiteral(" FROM submissions s LEFT JOIN reviews r ON r.submission_id = s.id");
    Where where = whereOf(filter);
    QSqlQuery q(store.connection());
    if (!prepared(q, "SELECT COUNT(*)" + from + where.sql, where.values, error) || !q.next())
        return std::nullopt;
    const qint64 total = q.value(0).toLongLong();
    if (filter.before)
        where.add("s.id < ?", filter.before);
    where.values << filter.limit + 1;
    if (!prepared(q, "SELECT s.id" + from + where.sql + " ORDER BY s.id DESC LIMIT ?", where.values, error))
        return std::nullopt;
    QVariantList ids;
    while (q.next())
        ids << q.value(0);
    const qint64 next = ids.size() > filter.limit ? ids[filter.limit - 1].toLongLong() : 0;
    ids = ids.mid(0, filter.limit);
    QJsonArray rows;
    if (!ids.isEmpty()) {
        const QStringList marks(ids.size(), QStringLiteral("?"));
        if (!prepared(q,
                      "SELECT s.id, s.received, s.enterprise, s.file_name, c.name, s.accepted, s.reason, s.verdict, "
                      "r.state" + from + " JOIN upload_codes c ON c.id = s.code_id WHERE s.id IN (" + marks.join(',') +
                          ") ORDER BY s.id DESC",
                      ids, error))
            return std::nullopt;
        while (q.next())
            rows.append(rowOf(q));
    }
    return QJsonObject{{"rows", rows}, {"total", total}, {"next", next}};
}

} // namespace Serve::SubmissionList
