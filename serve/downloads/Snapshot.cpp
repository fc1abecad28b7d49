#include "serve/downloads/Snapshot.h"

#include "serve/store/Current.h"
#include "serve/store/Sql.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace Serve::Downloads {

namespace {

constexpr char kExtension[] = ".dbf";

bool unsafe(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("/\\:*?\"<>|").contains(c);
}

// A submission's file as kept in the cache: written whole under another name
// first, so that a file there is always whole.
bool cacheFile(const QString &path, const QByteArray &bytes, const QDateTime &received, QString *error)
{
    const QString temporary = path + QStringLiteral(".%1.part").arg(quintptr(QThread::currentThreadId()));
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.setFileTime(received, QFileDevice::FileModificationTime) ||
        ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        *error = QStringLiteral("无法写入临时文件 %1：%2").arg(path, file.errorString());
        file.remove();
        return false;
    }
    return true;
}

// Whether the rows stopped at their end, not at a failure.
bool whole(const QSqlQuery &q, QString *error)
{
    if (!q.lastError().isValid())
        return true;
    *error = QStringLiteral("数据库出错：") + q.lastError().text();
    return false;
}

// The checked findings of the current files, by submission.
bool readChecked(Store &store, QHash<qint64, QSet<QString>> &checked, QString *error)
{
    QSqlQuery q(store.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT submission_id, finding FROM checked_findings WHERE submission_id IN (%1)")
                  .arg(Current::submissionIds()));
    if (!Sql::run(q, error))
        return false;
    while (q.next())
        checked[q.value(0).toLongLong()].insert(q.value(1).toString());
    return whole(q, error);
}

struct Row {
    qint64 id = 0;
    QString name;
    QDateTime received;
};

// The current submissions, their names made safe; read whole before any other query (on PostgreSQL
// the rows come one at a time, and no other query may run meanwhile).
bool readRows(Store &store, QList<Row> &rows, QString *error)
{
    QSqlQuery q(store.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, file_name, enterprise, received FROM submissions WHERE id IN (%1) ORDER BY id")
                  .arg(Current::submissionIds()));
    if (!Sql::run(q, error))
        return false;
    QSet<QString> taken;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        rows.append({id, unusedName(safeName(q.value(1).toString(), q.value(2).toString(), id), taken),
                     Sql::timeOf(q.value(3))});
    }
    return whole(q, error);
}

// The file in the folder: a link to its copy in the cache, which is read from
// the database the first time only (a submission's bytes never change).
bool placeFile(Store &store, const QString &cache, const QString &folder, const Row &row, QString *error)
{
    const QString cached = cache + QStringLiteral("/%1.dbf").arg(row.id);
    const QByteArray target = QFile::encodeName(cached), link = QFile::encodeName(folder + QLatin1Char('/') + row.name);
    if (::link(target.constData(), link.constData()) == 0)
        return true;
    QSqlQuery q(store.connection());
    q.prepare(QStringLiteral("SELECT bytes FROM submissions WHERE id = ?"));
    q.addBindValue(row.id);
    if (!Sql::run(q, error) || !q.next() || !cacheFile(cached, q.value(0).toByteArray(), row.received, error))
        return false;
    if (::link(target.constData(), link.constData()) == 0)
        return true;
    *error = QStringLiteral("无法建立临时文件 %1：%2").arg(QFile::decodeName(link), QString::fromLocal8Bit(strerror(errno)));
    return false;
}

} // namespace

QString changeKey(Store &store, QString *error)
{
    QSqlQuery q(store.connection());
    // A review set back and forth within one millisecond still changes the rejected ones' sum.
    q.prepare("SELECT (SELECT COALESCE(MAX(id), 0) FROM submissions), (SELECT COUNT(*) FROM reviews), "
              "(SELECT COALESCE(MAX(changed), '') FROM reviews), "
              "(SELECT COALESCE(SUM(submission_id), 0) FROM reviews WHERE state = 'rejected'), "
              "(SELECT COUNT(*) FROM checked_findings), (SELECT COALESCE(MAX(changed), '') FROM checked_findings)");
    if (!Sql::run(q, error) || !q.next())
        return {};
    QStringList parts;
    for (int i = 0; i < 6; ++i)
        parts << q.value(i).toString();
    return parts.join(QLatin1Char('|'));
}

QString safeName(const QString &received, const QString &enterprise, qint64 id)
{
    QString name = received.mid(std::max(received.lastIndexOf(QLatin1Char('/')), received.lastIndexOf(QLatin1Char('\\'))) + 1);
    for (QChar &c : name)
        if (unsafe(c))
            c = QLatin1Char('_');
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.endsWith(QLatin1String(kExtension), Qt::CaseInsensitive))
        name.chop(4);
    if (name.isEmpty() || name.toUtf8().size() > 200) {
        QString own = enterprise;
        for (QChar &c : own)
            if (unsafe(c))
                c = QLatin1Char('_');
        own = own.trimmed().left(60);
        name = own.isEmpty() || own.startsWith(QLatin1Char('.')) ? QStringLiteral("文件%1").arg(id)
                                                                   : own + QStringLiteral("_填报结果");
    }
    return name + QLatin1String(kExtension);
}

QString unusedName(const QString &name, QSet<QString> &taken)
{
    QString chosen = name;
    for (int n = 2; taken.contains(chosen.toLower()); ++n)
        chosen = name.left(name.size() - 4) + QStringLiteral("-%1").arg(n) + name.right(4);
    taken.insert(chosen.toLower());
    return chosen;
}

bool writeSnapshot(Store &store, const QString &cache, const QString &folder, Snapshot &snapshot,
                   const std::function<void(qsizetype, qsizetype)> &progress, QString *error)
{
    if (!store.beginRead(error))
        return false;
    QHash<qint64, QSet<QString>> checked;
    QList<Row> rows;
    snapshot.key = changeKey(store, error);
    bool read = !snapshot.key.isEmpty() && readChecked(store, checked, error) && readRows(store, rows, error);
    for (qsizetype i = 0; read && i < rows.size(); ++i) {
        read = placeFile(store, cache, folder, rows[i], error);
        if (const auto found = checked.constFind(rows[i].id); read && found != checked.constEnd())
            snapshot.checked.insert(rows[i].name, *found);
        progress(++snapshot.files, rows.size());
    }
    store.rollback(); // it only read
    return read;
}

} // namespace Serve::Downloads
