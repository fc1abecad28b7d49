#include "serve/access/Access.h"

#include "serve/store/Sql.h"

#include <QSqlQuery>

namespace Serve {

using Sql::run;
using Sql::timeOf;
using Sql::timeText;

namespace {

QString hashText(const QByteArray &secret)
{
    return QString::fromLatin1(sha256Hex(secret));
}

QString now()
{
    return timeText(QDateTime::currentDateTimeUtc());
}

} // namespace

std::optional<QByteArray> Access::addCollector(const QString &name, QString *error)
{
    if (name.trimmed().isEmpty() || name.size() > 100) {
        *error = QStringLiteral("采集人员的名称不能为空，也不能超过 100 个字");
        return std::nullopt;
    }
    const QByteArray code = newSecret();
    QSqlQuery q(store_.connection());
    q.prepare("INSERT INTO collectors (name, code_sha256, created) VALUES (?, ?, ?) ON CONFLICT (name) DO NOTHING");
    q.addBindValue(name.trimmed());
    q.addBindValue(hashText(code));
    q.addBindValue(now());
    if (!run(q, error))
        return std::nullopt;
    if (q.numRowsAffected() != 1) {
        *error = QStringLiteral("已有名为“%1”的采集人员").arg(name.trimmed());
        return std::nullopt;
    }
    return code;
}

QList<Collector> Access::collectors(QString *error)
{
    QSqlQuery q(store_.connection());
    q.prepare("SELECT id, name, created, revoked FROM collectors ORDER BY id");
    QList<Collector> list;
    if (!run(q, error))
        return list;
    while (q.next())
        list.append({q.value(0).toLongLong(), q.value(1).toString(), timeOf(q.value(2)), !q.value(3).isNull()});
    return list;
}

bool Access::revokeCollector(const QString &name, QString *error)
{
    if (!store_.beginWrite(error))
        return false;
    QSqlQuery q(store_.connection());
    q.prepare("UPDATE collectors SET revoked = ? WHERE name = ? AND revoked IS NULL");
    q.addBindValue(now());
    q.addBindValue(name);
    bool ok = run(q, error);
    if (ok && q.numRowsAffected() != 1) {
        *error = QStringLiteral("没有名为“%1”的采集人员，或已停用").arg(name);
        ok = false;
    }
    if (ok) {
        q.prepare("UPDATE sessions SET ended = ? WHERE ended IS NULL AND collector_id = "
                  "(SELECT id FROM collectors WHERE name = ?)");
        q.addBindValue(now());
        q.addBindValue(name);
        ok = run(q, error);
    }
    q.finish();
    if (ok && store_.commitTransaction(error))
        return true;
    store_.rollback();
    return false;
}

bool Access::anyCollector(QString *error)
{
    QSqlQuery q(store_.connection());
    q.prepare("SELECT COUNT(*) FROM collectors");
    return run(q, error) && q.next() && q.value(0).toLongLong() > 0;
}

std::optional<std::pair<QByteArray, CollectorSession>> Access::signIn(const QByteArray &code, QString *error)
{
    QSqlQuery q(store_.connection());
    q.prepare("SELECT id, name FROM collectors WHERE code_sha256 = ? AND revoked IS NULL");
    q.addBindValue(hashText(code));
    if (!run(q, error) || !q.next())
        return std::nullopt;
    CollectorSession session;
    session.collectorId = q.value(0).toLongLong();
    session.name = q.value(1).toString();
    session.csrf = newSecret();
    const QByteArray token = newSecret();
    q.prepare("INSERT INTO sessions (token_sha256, csrf, collector_id, created, seen) VALUES (?, ?, ?, ?, ?) "
              "RETURNING id");
    q.addBindValue(hashText(token));
    q.addBindValue(QString::fromLatin1(session.csrf));
    q.addBindValue(session.collectorId);
    q.addBindValue(now());
    q.addBindValue(now());
    if (!run(q, error) || !q.next())
        return std::nullopt;
    session.id = q.value(0).toLongLong();
    q.finish();
    if (!audit(session.collectorId, Audit::kSignIn, session.name, {}, error))
        return std::nullopt;
    return std::pair{token, session};
}

std::optional<CollectorSession> Access::session(const QByteArray &token, QString *error)
{
    if (token.isEmpty())
        return std::nullopt;
    QSqlQuery q(store_.connection());
    q.prepare("SELECT s.id, s.collector_id, c.name, s.csrf, s.seen FROM sessions s "
              "JOIN collectors c ON c.id = s.collector_id "
              "WHERE s.token_sha256 = ? AND s.ended IS NULL AND c.revoked IS NULL");
    q.addBindValue(hashText(token));
    if (!run(q, error) || !q.next())
        return std::nullopt;
    const CollectorSession session{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(),
                                   q.value(3).toString().toLatin1()};
    const QDateTime current = QDateTime::currentDateTimeUtc();
    const qint64 idle = timeOf(q.value(4)).secsTo(current);
    q.finish();
    if (idle > kIdleSeconds) {
        signOut(session.id, error);
        return std::nullopt;
    }
    // Noted once a minute at most: a page that asks every few seconds writes little.
    if (idle >= 60) {
        q.prepare("UPDATE sessions SET seen = ? WHERE id = ?");
        q.addBindValue(timeText(current));
        q.addBindValue(session.id);
        if (!run(q, error))
            return std::nullopt;
    }
    return session;
}

bool Access::signOut(qint64 sessionId, QString *error)
{
    QSqlQuery q(store_.connection());
    q.prepare("UPDATE sessions SET ended = ? WHERE id = ? AND ended IS NULL");
    q.addBindValue(now());
    q.addBindValue(sessionId);
    return run(q, error);
}

bool Access::audit(qint64 collectorId, const QString &action, const QString &subject, const QString &detail,
                   QString *error)
{
    QSqlQuery q(store_.connection());
    q.prepare("INSERT INTO audit_log (at, collector_id, action, subject, detail) VALUES (?, ?, ?, ?, ?)");
    q.addBindValue(now());
    q.addBindValue(collectorId ? QVariant(collectorId) : Sql::noNumber());
    q.addBindValue(action);
    q.addBindValue(Sql::text(subject));
    q.addBindValue(Sql::text(detail));
    return run(q, error);
}

QList<AuditEntry> Access::auditLog(qint64 offset, qint64 limit, QString *error)
{
    QSqlQuery q(store_.connection());
    q.prepare("SELECT a.id, a.at, c.name, a.action, a.subject, a.detail FROM audit_log a "
              "LEFT JOIN collectors c ON c.id = a.collector_id ORDER BY a.id DESC LIMIT ? OFFSET ?");
    q.addBindValue(limit);
    q.addBindValue(offset);
    QList<AuditEntry> list;
    if (!run(q, error))
        return list;
    while (q.next())
        list.append({q.value(0).toLongLong(), timeOf(q.value(1)), q.value(2).toString(), q.value(3).toString(),
                     q.value(4).toString(), q.value(5).toString()});
    return list;
}

} // namespace Serve
