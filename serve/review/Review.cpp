#include "serve/review/Review.h"

#include "serve/review/States.h"
#include "serve/store/Sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QSqlQuery>

namespace Serve::Review {

namespace {

Outcome refused(int status, const QString &sentence)
{
    return {status, sentence, {}, {}};
}

Outcome failed(Store &store, const QString &error)
{
    store.rollback();
    return {503, {}, {}, error};
}

QString now()
{
    return Sql::timeText(QDateTime::currentDateTimeUtc());
}

// The ids of a selection, each once; empty when one is not an id.
QList<qint64> idsOf(const QJsonValue &value)
{
    QList<qint64> ids;
    QSet<qint64> seen;
    for (const QJsonValue &v : value.toArray()) {
        const qint64 id = v.toInteger(0);
        if (id <= 0)
            return {};
        if (!seen.contains(id))
            ids.append(id);
        seen.insert(id);
    }
    return ids;
}

qint64 existing(QSqlQuery &q, const QList<qint64> &ids, QString *error)
{
    QStringList marks(ids.size(), QStringLiteral("?"));
    q.prepare("SELECT COUNT(*) FROM submissions WHERE id IN (" + marks.join(',') + ')');
    for (qint64 id : ids)
        q.addBindValue(id);
    return Sql::run(q, error) && q.next() ? q.value(0).toLongLong() : -1;
}

bool upsert(QSqlQuery &q, qint64 id, const QString &state, const QString &note, bool keepNote, qint64 by,
            QString *error)
{
    q.prepare(QStringLiteral("INSERT INTO reviews (submission_id, state, note, collector_id, changed) "
                             "VALUES (?, ?, ?, ?, ?) ON CONFLICT (submission_id) DO UPDATE SET state = excluded.state, "
                             "note = %1, collector_id = excluded.collector_id, changed = excluded.changed")
                  .arg(keepNote ? "reviews.note" : "excluded.note"));
    q.addBindValue(id);
    q.addBindValue(state);
    q.addBindValue(Sql::text(note));
    q.addBindValue(by);
    q.addBindValue(now());
    return Sql::run(q, error);
}

} // namespace

Outcome setState(Store &store, const CollectorSession &by, const QJsonObject &body)
{
    const QList<qint64> ids = idsOf(body.value("ids"));
    const QString state = body.value("state").toString();
    const bool keepNote = !body.contains("note");
    const QString note = body.value("note").toString();
    if (!States::known(state))
        return refused(400, QStringLiteral("审核状态不对。"));
    if (ids.isEmpty() || ids.size() > kMaxSelection)
        return refused(400, QStringLiteral("请选择 1 到 %1 份提交。").arg(kMaxSelection));
    if (note.size() > kMaxNote)
        return refused(400, QStringLiteral("备注太长：最多 %1 个字，这次有 %2 个字。未作改动。").arg(kMaxNote).arg(note.size()));
    QString error;
    if (!store.beginWrite(&error))
        return failed(store, error);
    QSqlQuery q(store.connection());
    const qint64 found = existing(q, ids, &error);
    if (found < 0)
        return failed(store, error);
    if (found != ids.size()) {
        store.rollback();
        return refused(404, QStringLiteral("所选的提交有的不存在。未作改动。"));
    }
    Access access(store);
    const QString detail = keepNote ? States::text(state) : States::text(state) + QStringLiteral("：") + note;
    for (qint64 id : ids)
        if (!upsert(q, id, state, note, keepNote, by.collectorId, &error) ||
            !access.audit(by.collectorId, Audit::kReview, QStringLiteral("#%1").arg(id), detail, &error))
            return failed(store, error);
    q.finish();
    if (!store.commitTransaction(&error))
        return failed(store, error);
    return {200, {}, QJsonObject{{"changed", ids.size()}, {"state", state}, {"stateText", States::text(state)}}, {}};
}

Outcome markFinding(Store &store, const CollectorSession &by, const QJsonObject &body)
{
    const qint64 id = body.value("id").toInteger(0);
    const QString key = body.value("key").toString();
    const bool checked = body.value("checked").toBool(true);
    QString error;
    if (!store.beginWrite(&error))
        return failed(store, error);
    const std::optional<Submission> s = store.submission(id, &error);
    if (!error.isEmpty())
        return failed(store, error);
    bool has = false;
    if (s)
        for (const QJsonValue &f : QJsonDocument::fromJson(s->verdict).object().value("findings").toArray())
            has = has || f["key"].toString() == key;
    if (!has) {
        store.rollback();
        return refused(404, QStringLiteral("这份提交没有这条核查发现。未作改动。"));
    }
    QSqlQuery q(store.connection());
    if (checked)
        q.prepare("INSERT INTO checked_findings (submission_id, finding, collector_id, changed) VALUES (?, ?, ?, ?) "
                  "ON CONFLICT (submission_id, finding) DO NOTHING");
    else
        q.prepare("DELETE FROM checked_findings WHERE submission_id = ? AND finding = ?");
    q.addBindValue(id);
    q.addBindValue(key);
    if (checked) {
        q.addBindValue(by.collectorId);
        q.addBindValue(now());
    }
    Access access(store);
    if (!Sql::run(q, &error) ||
        !access.audit(by.collectorId, Audit::kFindingChecked, QStringLiteral("#%1 %2").arg(id).arg(key),
                      checked ? QStringLiteral("已核实") : QStringLiteral("取消已核实"), &error))
        return failed(store, error);
    q.finish();
    if (!store.commitTransaction(&error))
        return failed(store, error);
    return {200, {}, QJsonObject{{"id", id}, {"key", key}, {"checked", checked}}, {}};
}

} // namespace Serve::Review
