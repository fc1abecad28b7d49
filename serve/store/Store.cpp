// Times are kept as ISO text in UTC, flags as integers: the same on both
// databases. Rows are appended, never edited (a revoked code is the one
// exception: its revocation time is set once).
#include "serve/store/Store.h"

#include "serve/store/Findings.h"
#include "serve/store/Migrations.h"
#include "serve/store/Sql.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <numeric>

namespace Serve {

using Sql::run;
using Sql::text;
using Sql::timeOf;
using Sql::timeText;

namespace {

QString uniqueConnectionName()
{
    static std::atomic<int> next{0};
    return QStringLiteral("csr-serve-%1").arg(next++);
}

// A submission with the time of the one it replaces.
const QString kSubmissionQuery =
    QStringLiteral("SELECT s.id, s.sha256, s.code_id, s.received, s.file_name, s.size, s.accepted, s.enterprise, "
                   "s.enterprise_key, s.reason, s.verdict, s.replaces, s.bytes, r.received "
                   "FROM submissions s LEFT JOIN submissions r ON r.id = s.replaces WHERE s.%1 = ?");

Submission submissionOf(const QSqlQuery &q)
{
    Submission s;
    s.id = q.value(0).toLongLong();
    s.sha256 = q.value(1).toByteArray();
    s.codeId = q.value(2).toLongLong();
    s.received = timeOf(q.value(3));
    s.fileName = q.value(4).toString();
    s.size = q.value(5).toLongLong();
    s.accepted = q.value(6).toInt() != 0;
    s.enterprise = q.value(7).toString();
    s.enterpriseKey = q.value(8).toString();
    s.reason = q.value(9).toString();
    s.verdict = q.value(10).toByteArray();
    s.replaces = q.value(11).isNull() ? 0 : q.value(11).toLongLong();
    s.bytes = q.value(12).toByteArray();
    if (!q.value(13).isNull())
        s.replacedReceived = timeOf(q.value(13));
    return s;
}

} // namespace

QByteArray sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray newSecret()
{
    quint32 words[5];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char *>(words), sizeof words)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

std::optional<Database> Database::parse(const QString &url, const QString &dataFolder, QString *error)
{
    Database d;
    if (url.isEmpty()) {
        d.sqliteFile = dataFolder + QStringLiteral("/csr-serve.sqlite");
        return d;
    }
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || (u.scheme() != QLatin1String("postgresql") && u.scheme() != QLatin1String("postgres")) ||
        u.host().isEmpty() || u.path().size() < 2) {
        *error = QStringLiteral("数据库地址无效，应为 postgresql://用户:密码@主机:端口/数据库");
        return std::nullopt;
    }
    d.postgres = true;
    d.host = u.host();
    d.port = u.port(5432);
    d.user = u.userName();
    d.password = u.password();
    d.name = u.path().mid(1);
    return d;
}

QString Database::describe() const
{
    if (!postgres)
        return sqliteFile;
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(name);
}

Store::Store(QString connection, bool postgres) : connection_(std::move(connection)), postgres_(postgres) {}

Store::~Store()
{
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

std::unique_ptr<Store> Store::open(const Database &database, QString *error)
{
    const QString name = uniqueConnectionName();
    std::unique_ptr<Store> store(new Store(name, database.postgres));
    QSqlDatabase db = QSqlDatabase::addDatabase(database.postgres ? "QPSQL" : "QSQLITE", name);
    if (database.postgres) {
        db.setHostName(database.host);
        db.setPort(database.port);
        db.setUserName(database.user);
        db.setPassword(database.password);
        db.setDatabaseName(database.name);
    } else {
        db.setDatabaseName(database.sqliteFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    if (!db.open()) {
        *error = QStringLiteral("无法打开数据库 %1：%2").arg(database.describe(), db.lastError().text());
        return nullptr;
    }
    // Every commit on the disk before it returns, and readers beside the writer.
    if (!database.postgres && !(store->exec("PRAGMA journal_mode=WAL", error) &&
                                store->exec("PRAGMA synchronous=FULL", error) &&
                                store->exec("PRAGMA foreign_keys=ON", error)))
        return nullptr;
    return store;
}

// A statement without values, not prepared (PostgreSQL prepares no DDL).
bool Store::exec(const QString &statement, QString *error)
{
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    if (query.exec(statement))
        return true;
    *error = QStringLiteral("数据库出错：") + query.lastError().text();
    return false;
}

// One server at a time: a second one starting at once waits (on PostgreSQL
// for a session lock, on SQLite for the write lock), then finds the steps done.
bool Store::migrate(QString *error)
{
    constexpr int kMigrationLock = 20141210; // any number, the same for every server
    if (postgres_ && !exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(kMigrationLock), error))
        return false;
    const bool migrated = migrateLocked(error);
    QString ignored;
    if (postgres_)
        exec(QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(kMigrationLock), &ignored);
    return migrated;
}

bool Store::migrateLocked(QString *error)
{
    constexpr int kFindingsListed = 2; // the step that made the table of findings
    if (!exec("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, applied TEXT NOT NULL)",
              error))
        return false;
    if (!exec(postgres_ ? "BEGIN" : "BEGIN IMMEDIATE", error))
        return false;
    QSqlQuery done(QSqlDatabase::database(connection_, false));
    done.prepare("SELECT COALESCE(MAX(version), 0) FROM schema_migrations");
    if (!run(done, error) || !done.next()) {
        exec("ROLLBACK", error);
        return false;
    }
    const int current = done.value(0).toInt();
    done.finish();
    const QList<QStringList> steps = Migrations::all();
    for (int version = current + 1; version <= steps.size(); ++version) {
        for (QString statement : steps[version - 1]) {
            statement.replace("{id}", postgres_ ? "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"
                                                : "INTEGER PRIMARY KEY");
            statement.replace("{bytes}", postgres_ ? "BYTEA" : "BLOB");
            if (!exec(statement, error)) {
                QString ignored;
                exec("ROLLBACK", &ignored);
                return false;
            }
        }
        // The findings of the files kept before they were listed.
        if (version == kFindingsListed && !Findings::listAll(QSqlDatabase::database(connection_, false), error)) {
            QString ignored;
            exec("ROLLBACK", &ignored);
            return false;
        }
        QSqlQuery note(QSqlDatabase::database(connection_, false));
        note.prepare("INSERT INTO schema_migrations (version, applied) VALUES (?, ?)");
        note.addBindValue(version);
        note.addBindValue(timeText(QDateTime::currentDateTimeUtc()));
        if (!run(note, error)) {
            QString ignored;
            exec("ROLLBACK", &ignored);
            return false;
        }
    }
    return exec("COMMIT", error);
}

std::optional<UploadCode> Store::code(const QByteArray &code, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("SELECT id, name, created, revoked FROM upload_codes WHERE code_sha256 = ?");
    q.addBindValue(QString::fromLatin1(sha256Hex(code)));
    if (!run(q, error) || !q.next())
        return std::nullopt;
    UploadCode c;
    c.id = q.value(0).toLongLong();
    c.name = q.value(1).toString();
    c.created = timeOf(q.value(2));
    c.revoked = !q.value(3).isNull();
    return c;
}

std::optional<QByteArray> Store::addCode(const QString &name, QString *error)
{
    const QByteArray code = newSecret();
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("INSERT INTO upload_codes (code_sha256, name, created) VALUES (?, ?, ?)");
    q.addBindValue(QString::fromLatin1(sha256Hex(code)));
    q.addBindValue(name);
    q.addBindValue(timeText(QDateTime::currentDateTimeUtc()));
    if (!run(q, error))
        return std::nullopt;
    return code;
}

QList<UploadCode> Store::codes(QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("SELECT c.id, c.name, c.created, c.revoked, "
              "(SELECT COUNT(*) FROM submissions s WHERE s.code_id = c.id) FROM upload_codes c ORDER BY c.id");
    QList<UploadCode> list;
    if (!run(q, error))
        return list;
    while (q.next())
        list.append({q.value(0).toLongLong(), q.value(1).toString(), timeOf(q.value(2)), !q.value(3).isNull(),
                     q.value(4).toLongLong()});
    return list;
}

bool Store::revokeCode(const QByteArray &code, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("UPDATE upload_codes SET revoked = ? WHERE code_sha256 = ? AND revoked IS NULL");
    q.addBindValue(timeText(QDateTime::currentDateTimeUtc()));
    q.addBindValue(QString::fromLatin1(sha256Hex(code)));
    if (!run(q, error))
        return false;
    if (q.numRowsAffected() == 1)
        return true;
    *error = QStringLiteral("没有这个上传代码，或它已停用");
    return false;
}

bool Store::anyCode(QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("SELECT COUNT(*) FROM upload_codes");
    return run(q, error) && q.next() && q.value(0).toLongLong() > 0;
}

namespace {

// The statements of a commit, each prepared once for the whole batch: on
// PostgreSQL a statement prepared again costs its own round trips.
struct BatchQueries {
    explicit BatchQueries(const QSqlDatabase &db) : replaced(db), insert(db), existing(db) {}
    bool prepare(QString *error)
    {
        const bool ok =
            replaced.prepare("SELECT id, received FROM submissions WHERE enterprise_key = ? AND accepted = 1 "
                             "ORDER BY id DESC LIMIT 1") &&
            insert.prepare("INSERT INTO submissions (sha256, code_id, received, file_name, size, accepted, enterprise, "
                           "enterprise_key, reason, verdict, replaces, bytes) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (sha256) DO NOTHING RETURNING id") &&
            existing.prepare(kSubmissionQuery.arg("sha256"));
        if (!ok)
            *error = QStringLiteral("数据库出错：") + replaced.lastError().text() + insert.lastError().text() +
                     existing.lastError().text();
        return ok;
    }
    void finish()
    {
        replaced.finish();
        insert.finish();
        existing.finish();
    }
    QSqlQuery replaced, insert, existing;
};

// The latest accepted file of the same enterprise, before this one.
bool findReplaced(QSqlQuery &q, Submission &s, QString *error)
{
    if (!s.accepted || s.enterpriseKey.isEmpty())
        return true;
    q.bindValue(0, s.enterpriseKey);
    if (!run(q, error))
        return false;
    if (q.next()) {
        s.replaces = q.value(0).toLongLong();
        s.replacedReceived = timeOf(q.value(1));
    }
    q.finish();
    return true;
}

// Inserted, or nothing when the bytes are kept already.
bool insert(QSqlQuery &q, Submission &s, bool &inserted, QString *error)
{
    const QVariant values[] = {
        QString::fromLatin1(s.sha256), s.codeId, timeText(s.received), text(s.fileName), s.size, s.accepted ? 1 : 0,
        text(s.enterprise), text(s.enterpriseKey), text(s.reason), QString::fromUtf8(s.verdict),
        s.replaces ? QVariant(s.replaces) : Sql::noNumber(),
        s.bytes.isNull() ? QByteArray(0, '\0') : s.bytes, // an empty file is no NULL
    };
    for (int i = 0; i < int(std::size(values)); ++i)
        q.bindValue(i, values[i]);
    if (!run(q, error))
        return false;
    inserted = q.next();
    if (inserted)
        s.id = q.value(0).toLongLong();
    q.finish();
    return true;
}

// A file whose bytes were kept already, as kept.
bool readExisting(QSqlQuery &q, Submission &s, QString *error)
{
    q.bindValue(0, QString::fromLatin1(s.sha256));
    if (!run(q, error))
        return false;
    if (!q.next()) {
        *error = QStringLiteral("数据库出错：已有的文件读不到");
        return false;
    }
    s = submissionOf(q);
    q.finish();
    return true;
}

} // namespace

bool Store::commit(QList<Submission> &batch, QList<bool> &isNew, QString *error)
{
    isNew = QList<bool>(batch.size(), false);
    // In the order of their bytes' hashes: two servers inserting the same
    // files wait for each other in one order, never in a circle.
    QList<qsizetype> order(batch.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return batch[a].sha256 < batch[b].sha256; });
    if (!exec(postgres_ ? "BEGIN" : "BEGIN IMMEDIATE", error))
        return false;
    BatchQueries q(connection());
    bool ok = q.prepare(error);
    for (qsizetype i = 0; ok && i < order.size(); ++i) {
        Submission &s = batch[order[i]];
        bool inserted = false;
        ok = findReplaced(q.replaced, s, error) && insert(q.insert, s, inserted, error) &&
             (inserted ? Findings::list(connection(), s.id, s.verdict, error) : readExisting(q.existing, s, error));
        isNew[order[i]] = ok && inserted;
    }
    q.finish();
    if (ok && exec("COMMIT", error))
        return true;
    QString ignored;
    exec("ROLLBACK", &ignored);
    return false;
}

std::optional<Submission> Store::submission(qint64 id, QString *error)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(kSubmissionQuery.arg("id"));
    q.addBindValue(id);
    if (!run(q, error) || !q.next())
        return std::nullopt;
    return submissionOf(q);
}

QSqlDatabase Store::connection() const
{
    return QSqlDatabase::database(connection_, false);
}

bool Store::beginWrite(QString *error)
{
    return exec(postgres_ ? "BEGIN" : "BEGIN IMMEDIATE", error);
}

// SQLite in WAL mode reads one moment from a transaction's first read on.
bool Store::beginRead(QString *error)
{
    return exec(postgres_ ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN", error);
}

bool Store::commitTransaction(QString *error)
{
    return exec("COMMIT", error);
}

void Store::rollback()
{
    QString ignored;
    exec("ROLLBACK", &ignored);
}

} // namespace Serve
