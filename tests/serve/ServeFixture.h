// What the server's tests and bench share beside the process and the client:
// a fresh database for each case, generated result files, a signed-in
// collector.
#pragma once

#include "tests/collect/SampleRecords.h"
#include "tests/serve/HttpClient.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace ServeFixture {

// Under tests/serve/with-postgres (CSR_SERVE_DATABASE=postgres).
bool onPostgres();
// Empty for SQLite in the data folder; else a new PostgreSQL database's address.
QString freshDatabase();
// Runs one statement on the server's database: SQLite in the data folder, or the PostgreSQL address.
bool execute(const QString &data, const QString &database, const QString &statement, QString *error);
// A whole result file of enterprise index, as the program writes it; another seed, other answers.
QByteArray resultFile(const QString &folder, int index, quint32 seed = 1,
                      SampleRecords::Values values = SampleRecords::Values::Random);
const QJsonObject json(const HttpClient::Reply &reply); // const: a path of keys reads it

// A collector signed in to the server on port: their cookie and the page's token.
struct Collector {
    quint16 port = 0;
    QByteArray cookie, csrf;

    // With the session's cookie, and for a POST the token and the page's origin.
    HttpClient::Reply get(const QByteArray &path) const;
    HttpClient::Reply post(const QByteArray &path, const QJsonObject &body) const;
};
Collector signIn(quint16 port, const QByteArray &code);

} // namespace ServeFixture
