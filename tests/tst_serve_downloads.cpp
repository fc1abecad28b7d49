// The collectors' downloads from a real csr-serve, on SQLite and PostgreSQL:
// every file made, of one moment, and equal to csr-collect's on the zip of
// the original files.
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/serve/HttpClient.h"
#include "tests/serve/ServeProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <memory>

using HttpClient::Reply;

namespace {

constexpr int kEnterprises = 300;
constexpr int kSentTwice = 20;

bool onPostgres()
{
    return qEnvironmentVariable("CSR_SERVE_DATABASE").startsWith("postgres");
}

QJsonObject json(const Reply &reply)
{
    return QJsonDocument::fromJson(reply.body).object();
}

// The rows of a CSV without the column of that name.
QList<QStringList> csvWithout(const QByteArray &bytes, const QString &column)
{
    QList<QStringList> rows;
    if (!OutputReaders::parseCsv(bytes, rows) || rows.isEmpty())
        return {};
    const qsizetype at = rows.first().indexOf(column);
    for (QStringList &row : rows)
        if (at >= 0 && at < row.size())
            row.removeAt(at);
    return rows;
}

// The report's figures: every cell's variable, statistic and value.
QStringList figures(const QByteArray &html)
{
    static const QRegularExpression cell(QStringLiteral("data-var=\"[^\"]*\" data-stat=\"[^\"]*\" data-value=\"[^\"]*\""));
    QStringList out;
    for (auto it = cell.globalMatch(QString::fromUtf8(html)); it.hasNext();)
        out << it.next().captured();
    return out;
}

} // namespace

class ServeDownloadsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString data_, database_;
    std::unique_ptr<ServeProcess> server_;
    QByteArray cookie_, uploadCode_, collectorCode_;

    QString freshDatabase()
    {
        if (!onPostgres())
            return {};
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase("QPSQL", "admin");
            admin.setHostName(qEnvironmentVariable("PGHOST"));
            admin.setPort(qEnvironmentVariable("PGPORT").toInt());
            admin.setUserName(qEnvironmentVariable("PGUSER"));
            admin.setPassword(qEnvironmentVariable("PGPASSWORD"));
            admin.setDatabaseName(qEnvironmentVariable("PGDATABASE"));
            if (!admin.open())
                qFatal("PostgreSQL: %s", qPrintable(admin.lastError().text()));
            QSqlQuery(admin).exec("CREATE DATABASE csr_downloads");
        }
        QSqlDatabase::removeDatabase("admin");
        return QStringLiteral("postgresql://%1:%2@%3:%4/csr_downloads")
            .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGPASSWORD"), qEnvironmentVariable("PGHOST"),
                 qEnvironmentVariable("PGPORT"));
    }

    Reply send(const HttpClient::Call &call) { return HttpClient::send(server_->port(), call, 120000); }

    QByteArray sample(int index, quint32 seed)
    {
        QRandomGenerator rng(seed * 7919 + quint32(index));
        const QString path = SampleRecords::write(SampleRecords::make(rng, index), dir_.path() + "/files/");
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        file.remove();
        return bytes;
    }

    // Enterprise index's file (its name on line 1); another seed, other answers.
    QByteArray resultFile(int index, quint32 seed)
    {
        const QByteArray first = sample(index, 1), other = sample(index, seed);
        return first.left(first.indexOf("\r\n")) + other.mid(other.indexOf("\r\n"));
    }

    // Its id.
    qint64 upload(int index, quint32 seed)
    {
        // Some under one name, so that the zip numbers them.
        const QString name = index % 25 == 0 ? QStringLiteral("企业_填报结果.dbf") : QStringLiteral("%1_填报结果.dbf").arg(index);
        const Reply r = send({"POST", "/api/v1/submissions",
                              {{"Authorization", "Bearer " + uploadCode_},
                               {"X-File-Name", QUrl::toPercentEncoding(name)}},
                              resultFile(index, seed), -1, {}});
        return json(r)["receipt"].toObject()["id"].toInteger();
    }

    // The first value the statement gives; an invalid one when it fails.
    QVariant execute(const QString &statement)
    {
        QVariant value;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(onPostgres() ? "QPSQL" : "QSQLITE", "writer");
            const QUrl url(database_);
            db.setHostName(url.host());
            db.setPort(url.port());
            db.setUserName(url.userName());
            db.setPassword(url.password());
            db.setDatabaseName(onPostgres() ? url.path().mid(1) : data_ + "/csr-serve.sqlite");
            QSqlQuery q(db);
            if (db.open() && q.exec(statement))
                value = q.next() ? q.value(0) : QVariant(0);
            else
                qWarning("%s", qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase("writer");
        return value;
    }

    void signIn()
    {
        const QByteArray own = "http://127.0.0.1:" + QByteArray::number(server_->port());
        const Reply in = send({"POST", "/collect/api/session", {{"Origin", own}},
                               QJsonDocument(QJsonObject{{"code", QString::fromLatin1(collectorCode_)}}).toJson(),
                               -1, {}});
        QCOMPARE(in.status, 200);
        cookie_ = in.header("set-cookie").split(';').first();
    }

    Reply get(const QByteArray &path) { return send({"GET", path, {{"Cookie", cookie_}}, {}, -1, {}}); }

    // The file, once made: polled for progress as the page polls, then fetched by its job.
    Reply download(const QByteArray &path, qint64 *jobSeen = nullptr)
    {
        const QByteArray joiner = path.contains('?') ? "&" : "?";
        Reply r = get(path + joiner + "progress=1");
        for (int i = 0; r.status == 202 && i < 1200; ++i) {
            QThread::msleep(100);
            r = get(path + joiner + "progress=1&job=" + QByteArray::number(json(r)["job"].toInteger()));
        }
        if (r.status == 200)
            r = get(path + joiner + "job=" + QByteArray::number(json(r)["job"].toInteger()));
        if (jobSeen)
            *jobSeen = r.header("X-Job").toLongLong();
        return r;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("CSR_SERVE_DATABASE") == "postgres-missing")
            QSKIP("PostgreSQL's pg_virtualenv is not installed: the PostgreSQL cases are not run");
        QVERIFY(dir_.isValid());
        QVERIFY(QDir().mkpath(dir_.path() + "/files"));
        data_ = dir_.path() + "/data";
        database_ = freshDatabase();
        server_ = std::make_unique<ServeProcess>(CSR_SERVE_PATH, data_, database_);
        QVERIFY2(server_->start(), qPrintable(server_->error()));
        uploadCode_ = server_->firstCode();
        collectorCode_ = server_->firstCollectorCode();
        for (int i = 1; i <= kEnterprises; ++i)
            QVERIFY(upload(i, 1) > 0);
        qint64 newer = 0;
        for (int i = 1; i <= kSentTwice; ++i)
            newer = upload(i, 2);
        // The newer file of the last enterprise sent twice is rejected in review: its older one counts again.
        QVERIFY(execute(QStringLiteral("INSERT INTO reviews (submission_id, state, note, collector_id, changed) "
                                       "VALUES (%1, 'rejected', '', (SELECT MIN(id) FROM collectors), "
                                       "'2026-01-01T00:00:00.000Z')")
                            .arg(newer))
                    .isValid());
        signIn();
    }

    void cleanupTestCase()
    {
        if (server_)
            QVERIFY2(server_->stop(), qPrintable(server_->error()));
    }

    // csr-collect run on the zip gives the same data set, but for when each
    // file was modified, and the same report figures.
    void equalToCollector()
    {
        const Reply csv = download("/collect/api/downloads/data.csv");
        const Reply zip = download("/collect/api/downloads/originals.zip");
        const Reply report = download("/collect/api/downloads/report.html?by=listed");
        QCOMPARE(csv.status, 200);
        QCOMPARE(zip.status, 200);
        QCOMPARE(report.status, 200);
        QCOMPARE(csv.header("X-Files"), QByteArray::number(kEnterprises));
        const QString work = dir_.path() + "/offline";
        QVERIFY(QDir().mkpath(work));
        QFile archive(work + "/originals.zip");
        QVERIFY(archive.open(QIODevice::WriteOnly) && archive.write(zip.body) == zip.body.size());
        archive.close();
        QCOMPARE(QProcess::execute("python3", {"-c", "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])",
                                               archive.fileName(), work}),
                 0);
        QCOMPARE(QDir(work + "/填报结果").entryList(QDir::Files).size(), kEnterprises);
        QProcess collect;
        collect.setWorkingDirectory(work);
        collect.start(CSR_COLLECT_PATH, {"填报结果", "-q", "-o", "data.csv", "--report", "report.html", "--report-by", "listed"});
        QVERIFY(collect.waitForFinished(120000));
        QVERIFY2(collect.exitCode() <= 1, collect.readAllStandardError().constData());
        QFile theirs(work + "/data.csv"), theirReport(work + "/report.html");
        QVERIFY(theirs.open(QIODevice::ReadOnly) && theirReport.open(QIODevice::ReadOnly));
        const QList<QStringList> ours = csvWithout(csv.body, "file_modified");
        QCOMPARE(ours.size(), kEnterprises + 1);
        QCOMPARE(ours, csvWithout(theirs.readAll(), "file_modified"));
        const QStringList ourFigures = figures(report.body);
        QVERIFY(ourFigures.size() > 100);
        QCOMPARE(ourFigures, figures(theirReport.readAll()));
    }

    void files_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("start"); // of the file
        QTest::newRow("Excel") << QByteArray("data.xlsx") << 200 << QByteArray("PK");
        QTest::newRow("SPSS syntax, zipped with its CSV") << QByteArray("data.sps") << 200 << QByteArray("PK");
        QTest::newRow("Stata do") << QByteArray("data.do") << 200 << QByteArray("PK");
        if (OutputReaders::spssAndStataBuiltIn()) {
            QTest::newRow("SPSS") << QByteArray("data.sav") << 200 << QByteArray("$FL2");
            QTest::newRow("Stata") << QByteArray("data.dta") << 200 << QByteArray("<stata_dta>");
        }
        QTest::newRow("codebook") << QByteArray("codebook.md") << 200 << QByteArray("#");
        QTest::newRow("problems") << QByteArray("problems.csv") << 200 << QByteArray("");
        QTest::newRow("checks") << QByteArray("checks.xlsx") << 200 << QByteArray("PK");
        QTest::newRow("report PDF by two") << QByteArray("report.pdf?by=listed,industry") << 200 << QByteArray("%PDF");
        QTest::newRow("report by a text") << QByteArray("report.html?by=name") << 400 << QByteArray();
        QTest::newRow("no such file") << QByteArray("data.exe") << 404 << QByteArray();
    }

    void files()
    {
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        QFETCH(QByteArray, start);
        const Reply r = download("/collect/api/downloads/" + path);
        QCOMPARE(r.status, status);
        QVERIFY2(r.body.startsWith(start), r.body.left(40).constData());
        QCOMPARE(get("/collect/api/downloads/" + path).status == 200, status == 200);
    }

    // A second request joins the first one's job; a change makes a new one,
    // while the first one's file stays of its moment.
    void oneMomentEach()
    {
        const Reply first = get("/collect/api/downloads/checks.csv");
        const Reply second = get("/collect/api/downloads/checks.csv");
        QVERIFY(first.status == 202 || first.status == 200);
        if (first.status == 202 && second.status == 202)
            QCOMPARE(json(second)["job"], json(first)["job"]);
        qint64 before = 0;
        const Reply made = download("/collect/api/downloads/data.csv", &before);
        QVERIFY(upload(kEnterprises + 1, 1) > 0);
        qint64 after = 0;
        const Reply grown = download("/collect/api/downloads/data.csv", &after);
        QCOMPARE(grown.header("X-Files").toInt(), made.header("X-Files").toInt() + 1);
        QVERIFY(after > before);
        QCOMPARE(download("/collect/api/downloads/data.csv?job=" + QByteArray::number(before)).header("X-Files"),
                 made.header("X-Files"));
    }

    // A finding marked as checked stays in the lists as checked, and is no longer counted as open.
    void checkedFinding()
    {
        static const QRegularExpression key(QStringLiteral("\"key\":\"([^\"]+)\""));
        QString found;
        qint64 id = kSentTwice;
        while (found.isEmpty() && ++id <= kEnterprises)
            found = key.match(execute(QStringLiteral("SELECT verdict FROM submissions WHERE id = %1").arg(id)).toString())
                        .captured(1);
        QVERIFY(!found.isEmpty());
        QList<QStringList> before, rows;
        QVERIFY(OutputReaders::parseCsv(download("/collect/api/downloads/checks.csv").body, before));
        QVERIFY(before.first().last() != "status");
        QVERIFY(execute(QStringLiteral("INSERT INTO checked_findings (submission_id, finding, collector_id, changed) "
                                       "VALUES (%1, '%2', (SELECT MIN(id) FROM collectors), '2026-01-01T00:00:00.000Z')")
                            .arg(id)
                            .arg(found))
                    .isValid());
        QVERIFY(OutputReaders::parseCsv(download("/collect/api/downloads/checks.csv").body, rows));
        QCOMPARE(rows.first().last(), "status");
        QCOMPARE(std::count_if(rows.begin(), rows.end(), [](const QStringList &r) { return r.last() == "已核实"; }), 1);
        QCOMPARE(rows.size(), before.size());
        QVERIFY(download("/collect/api/downloads/report.html").body.contains("已核实"));
    }

    // kill -9 while a report is made: nothing of it is left at the next
    // start, and every submission and review is still there.
    void killedWhileMaking()
    {
        QCOMPARE(get("/collect/api/downloads/report.pdf?by=industry").status, 202);
        QThread::msleep(50);
        server_->kill();
        QVERIFY2(server_->start(), qPrintable(server_->error()));
        QVERIFY(!QDir(data_ + "/downloads").exists());
        signIn();
        const Reply csv = download("/collect/api/downloads/data.csv");
        QCOMPARE(csv.header("X-Files").toInt(), kEnterprises + 1);
        QCOMPARE(execute("SELECT COUNT(*) FROM submissions").toInt(), kEnterprises + kSentTwice + 1);
        QCOMPARE(execute("SELECT COUNT(*) FROM reviews WHERE state = 'rejected'").toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(ServeDownloadsTest)
#include "tst_serve_downloads.moc"
