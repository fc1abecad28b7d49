// Who may see the collectors' side: the collectors, each with a sign-in code
// of which only the hash is kept; their sessions (a cookie's token, hashed
// too, and a token for every request that changes something); and the audit
// log of what each did.
#pragma once

#include "serve/store/Store.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace Serve {

struct Collector {
    qint64 id = 0;
    QString name;
    QDateTime created;
    bool revoked = false;
};

struct CollectorSession {
    qint64 id = 0;
    qint64 collectorId = 0;
    QString name;
    QByteArray csrf; // sent back with every request that changes something
};

struct AuditEntry {
    qint64 id = 0;
    QDateTime at;
    QString collector; // empty for the server itself
    QString action;    // one of the Audit:: words below
    QString subject;
    QString detail;
};

namespace Audit {
inline constexpr char kSignIn[] = "sign_in";
inline constexpr char kSignOut[] = "sign_out";
inline constexpr char kReview[] = "review";
inline constexpr char kFindingChecked[] = "finding_checked";
inline constexpr char kCodeAdded[] = "code_added";
inline constexpr char kCodeRevoked[] = "code_revoked";
inline constexpr char kDownload[] = "download";
inline constexpr char kCollectorAdded[] = "collector_added";
inline constexpr char kCollectorRevoked[] = "collector_revoked";
} // namespace Audit

class Access {
public:
    // A session not used for a day ends.
    static constexpr qint64 kIdleSeconds = 24 * 3600;

    explicit Access(Store &store) : store_(store) {}

    // A new collector; the code is returned, the only time it is seen.
    std::optional<QByteArray> addCollector(const QString &name, QString *error);
    QList<Collector> collectors(QString *error);
    // Revoked, and every session of theirs ended.
    bool revokeCollector(const QString &name, QString *error);
    bool anyCollector(QString *error);

    // A new session for the collector of the code, with the cookie's token;
    // nothing (and no error) when the code is no collector's or is revoked.
    std::optional<std::pair<QByteArray, CollectorSession>> signIn(const QByteArray &code, QString *error);
    // The session of a cookie's token, if it is open, not idle too long, and
    // its collector not revoked; its use noted.
    std::optional<CollectorSession> session(const QByteArray &token, QString *error);
    bool signOut(qint64 sessionId, QString *error);

    // One line appended to the audit log.
    bool audit(qint64 collectorId, const QString &action, const QString &subject, const QString &detail,
               QString *error);
    // The newest first, a page at a time.
    QList<AuditEntry> auditLog(qint64 offset, qint64 limit, QString *error);

private:
    Store &store_;
};

} // namespace Serve
