#include "tests/serve/ServeFixture.h"

#include <QFile>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace ServeFixture {

bool onPostgres()
{
    return qEnvironmentVariable("CSR_SERVE_DATABASE").startsWith("postgres");
}

namespace {

// A connection to the database at url (postgresql://) or the SQLite file.
QSqlDatabase connect(const QString &name, const QString &url, const QString &sqliteFile)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(url.isEmpty() ? "QSQLITE" : "QPSQL", name);
    if (url.isEmpty()) {
        db.setDatabaseName(sqliteFile);
        return db;
    }
    const QUrl u(url);
    db.setHostName(u.host());
    db.setPort(u.port());
    db.setUserName(u.userName());
    db.setPassword(u.password());
    db.setDatabaseName(u.path().mid(1));
    return db;
}

QString pgAddress(const QString &name)
{
    return QStringLiteral("postgresql://%1:%2@%3:%4/%5")
        .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGPASSWORD"), qEnvironmentVariable("PGHOST"),
             qEnvironmentVariable("PGPORT"), name);
}

} // namespace

QString freshDatabase()
{
    if (!onPostgres())
        return {};
    static int next = 0;
    const QString name = QStringLiteral("csr_test_%1").arg(++next);
    QString error;
    if (!execute({}, pgAddress(qEnvironmentVariable("PGDATABASE")), "CREATE DATABASE " + name, &error))
        qFatal("PostgreSQL: %s", qPrintable(error));
    return pgAddress(name);
}

bool execute(const QString &data, const QString &database, const QString &statement, QString *error)
{
    bool ok = false;
    {
        QSqlDatabase db = connect("fixture", database, data + "/csr-serve.sqlite");
        QSqlQuery q(db);
        ok = db.open() && q.exec(statement);
        if (!ok)
            *error = db.lastError().text() + q.lastError().text();
    }
    QSqlDatabase::removeDatabase("fixture");
    return ok;
}

QByteArray resultFile(const QString &folder, int index, quint32 seed, SampleRecords::Values values)
{
    QRandomGenerator rng(seed * 7919 + quint32(index));
    const QString path =
        SampleRecords::write(SampleRecords::make(rng, index, SampleRecords::Texts::Plain, values), folder + '/');
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    file.remove();
    return bytes;
}

const QJsonObject json(const HttpClient::Reply &reply)
{
    return QJsonDocument::fromJson(reply.body).object();
}

HttpClient::Reply Collector::get(const QByteArray &path) const
{
    return HttpClient::send(port, {"GET", path, {{"Cookie", cookie}}, {}, -1, {}});
}

HttpClient::Reply Collector::post(const QByteArray &path, const QJsonObject &body) const
{
    return HttpClient::send(port, {"POST", path,
                                   {{"Cookie", cookie}, {"X-CSRF-Token", csrf},
                                    {"Origin", "http://127.0.0.1:" + QByteArray::number(port)}},
                                   QJsonDocument(body).toJson(QJsonDocument::Compact), -1, {}});
}

Collector signIn(quint16 port, const QByteArray &code)
{
    const HttpClient::Reply in = HttpClient::send(
        port, {"POST", "/collect/api/session", {},
               QJsonDocument(QJsonObject{{"code", QString::fromLatin1(code)}}).toJson(), -1, {}});
    return {port, in.header("set-cookie").split(';').first(), json(in)["csrf"].toString().toLatin1()};
}

} // namespace ServeFixture
