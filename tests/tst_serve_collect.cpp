// The collectors' side of csr-serve as their page uses it: the real process,
// real HTTP with a signed-in session, the real database (SQLite, or a
// throwaway PostgreSQL under tests/serve/with-postgres).
#include "tests/serve/HttpClient.h"
#include "tests/serve/ServeFixture.h"
#include "tests/serve/ServeProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>
#include <thread>

using HttpClient::Reply;
using ServeFixture::json;

class ServeCollectTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString data_, database_;
    std::unique_ptr<ServeProcess> server_;
    ServeFixture::Collector desk_;

    QByteArray file(int enterprise, quint32 seed = 1)
    {
        return ServeFixture::resultFile(dir_.path() + "/files", enterprise, seed);
    }

    // The new submission's id.
    qint64 upload(const QByteArray &bytes, const QByteArray &name = "企业_填报结果.dbf", QByteArray code = {})
    {
        if (code.isEmpty())
            code = server_->firstCode();
        const Reply r = HttpClient::send(server_->port(), {"POST", "/api/v1/submissions",
                                                           {{"Authorization", "Bearer " + code},
                                                            {"X-File-Name", QUrl::toPercentEncoding(QString::fromUtf8(name))}},
                                                           bytes, -1, {}});
        return json(r)["receipt"]["id"].toInteger();
    }

    const QJsonObject get(const QByteArray &path)
    {
        const Reply r = desk_.get(path);
        if (r.status != 200)
            qWarning("%s: %d %s", path.constData(), r.status, r.body.constData());
        return json(r);
    }

    const QJsonArray audit() { return get("/collect/api/audit")["entries"].toArray(); }

    // A file with findings, of an enterprise of its own.
    QByteArray fileWithFindings(int &enterprise)
    {
        for (;; ++enterprise) {
            const QByteArray bytes = file(enterprise);
            const qint64 id = upload(bytes);
            if (!get("/collect/api/submission?id=" + QByteArray::number(id))["findings"].toArray().isEmpty())
                return QByteArray::number(id);
        }
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("CSR_SERVE_DATABASE") == "postgres-missing")
            QSKIP("PostgreSQL's pg_virtualenv is not installed: the PostgreSQL cases are not run");
        QVERIFY(QDir().mkpath(dir_.path() + "/files"));
    }

    void init()
    {
        static int n = 0;
        data_ = dir_.path() + QStringLiteral("/data%1").arg(++n);
        database_ = ServeFixture::freshDatabase();
        server_ = std::make_unique<ServeProcess>(CSR_SERVE_PATH, data_, database_);
        QVERIFY2(server_->start(), qPrintable(server_->error()));
        desk_ = ServeFixture::signIn(server_->port(), server_->firstCollectorCode());
        QVERIFY(!desk_.csrf.isEmpty());
    }

    void cleanup()
    {
        QVERIFY2(server_->stop(), qPrintable(server_->error()));
        server_.reset();
    }

    // One enterprise sends twice: the newer counts; sent back, the older counts again.
    void oneSubmission()
    {
        // The other file's answers under the first one's name (line 1).
        const QByteArray first = file(1), other = file(2), second = first.left(first.indexOf("\r\n")) + other.mid(other.indexOf("\r\n"));
        const qint64 older = upload(first), newer = upload(second, "新_填报结果.dbf");
        upload(file(3));
        const QByteArray path = "/collect/api/submission?id=" + QByteArray::number(newer);
        const QJsonObject one = get(path);
        QCOMPARE(one["receipt"]["fileName"].toString(), "新_填报结果.dbf");
        QCOMPARE(one["review"]["stateText"].toString(), "已接收");
        const QJsonArray answers = one["answers"].toArray();
        QVERIFY(answers.size() > 139);
        QCOMPARE(answers[0]["line"].toInt(), 1);
        QVERIFY(!answers[0]["label"].toString().isEmpty());
        const QJsonArray history = one["history"].toArray();
        QCOMPARE(history.size(), 2);
        QCOMPARE(history[0]["id"].toInteger(), newer);
        QVERIFY(history[0]["current"].toBool() && !history[1]["current"].toBool());
        const QJsonArray changes = get("/collect/api/submission/changes?id=" + QByteArray::number(newer) +
                                       "&from=" + QByteArray::number(older))["changes"].toArray();
        QVERIFY(!changes.isEmpty());
        QVERIFY(changes[0]["before"].toString() != changes[0]["after"].toString());
        const Reply original = desk_.get("/collect/api/submission/file?id=" + QByteArray::number(newer));
        QCOMPARE(original.body, second);
        QVERIFY(original.header("content-disposition").startsWith("attachment"));
        QCOMPARE(get("/collect/api/overview")["current"].toInt(), 2);

        const QString note = "<script>alert(1)</script>=1+1";
        QCOMPARE(desk_.post("/collect/api/review", {{"ids", QJsonArray{newer}}, {"state", "rejected"}, {"note", note}}).status, 200);
        const QJsonObject again = get(path);
        QCOMPARE(again["review"]["stateText"].toString(), "退回");
        QCOMPARE(again["review"]["note"].toString(), note);
        const QJsonArray now = again["history"].toArray();
        QVERIFY(!now[0]["current"].toBool() && now[1]["current"].toBool());
        QCOMPARE(get("/collect/api/overview")["sentBack"].toInt(), 1);
        QCOMPARE(audit()[0]["detail"].toString(), "退回：" + note);
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QJsonObject>("body");
        QTest::addColumn<int>("status");
        const QJsonArray one{1};
        QTest::newRow("no such submission") << QByteArray("/collect/api/review")
                                            << QJsonObject{{"ids", QJsonArray{1, 99}}, {"state", "approved"}} << 404;
        QTest::newRow("a note of 100,000 characters")
            << QByteArray("/collect/api/review")
            << QJsonObject{{"ids", one}, {"state", "approved"}, {"note", QString(100000, 'x')}} << 400;
        QTest::newRow("no such state") << QByteArray("/collect/api/review") << QJsonObject{{"ids", one}, {"state", "done"}} << 400;
        QTest::newRow("no selection") << QByteArray("/collect/api/review") << QJsonObject{{"state", "approved"}} << 400;
        QTest::newRow("no such finding") << QByteArray("/collect/api/finding")
                                         << QJsonObject{{"id", 1}, {"key", "nothing/0/0"}} << 404;
        QTest::newRow("revoking no code") << QByteArray("/collect/api/codes/revoke") << QJsonObject{{"id", 99}} << 404;
        QTest::newRow("a code without a name") << QByteArray("/collect/api/codes") << QJsonObject{{"name", " "}} << 400;
    }

    // A clear answer, and nothing changed.
    void refusals()
    {
        QFETCH(QByteArray, path);
        QFETCH(QJsonObject, body);
        QFETCH(int, status);
        upload(file(1));
        const qsizetype logged = audit().size();
        const Reply r = desk_.post(path, body);
        QCOMPARE(r.status, status);
        QVERIFY(!json(r)["error"].toString().isEmpty());
        QCOMPARE(get("/collect/api/submission?id=1")["review"]["stateText"].toString(), "已接收");
        QCOMPARE(audit().size(), logged);
        QCOMPARE(get("/collect/api/codes")["codes"].toArray().size(), 1);
    }

    void filters_data()
    {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<int>("rows");
        QTest::newRow("all") << QByteArray("") << 4;
        QTest::newRow("by name") << QByteArray("q=%E6%B5%8B%E8%AF%95%5F") << 0; // "测试_": the wildcard taken as it stands
        QTest::newRow("not accepted") << QByteArray("accepted=0") << 1;
        QTest::newRow("sent back") << QByteArray("state=rejected") << 1;
        QTest::newRow("received") << QByteArray("state=received") << 3;
        QTest::newRow("by upload code") << QByteArray("code=2") << 1;
        QTest::newRow("a page") << QByteArray("limit=3") << 3;
        QTest::newRow("the next page") << QByteArray("limit=3&before=2") << 1;
    }

    void filters()
    {
        QFETCH(QByteArray, query);
        QFETCH(int, rows);
        upload(file(1));
        upload(file(2));
        upload(file(3).left(500), "坏_填报结果.dbf");
        const QByteArray other = json(desk_.post("/collect/api/codes", {{"name", "第二组"}}))["code"].toString().toLatin1();
        upload(file(4), "四_填报结果.dbf", other);
        QCOMPARE(desk_.post("/collect/api/review", {{"ids", QJsonArray{2}}, {"state", "rejected"}}).status, 200);
        const QJsonObject page = get("/collect/api/submissions?" + query);
        QCOMPARE(page["rows"].toArray().size(), rows);
        if (query.isEmpty()) {
            QCOMPARE(page["rows"][0]["id"].toInt(), 4);
            QCOMPARE(page["rows"][0]["code"].toString(), "第二组");
        }
    }

    // A checked finding stops counting as open, and stays shown as checked;
    // a filter by its check finds the file.
    void checkedFinding()
    {
        int enterprise = 1;
        const QByteArray id = fileWithFindings(enterprise);
        const QJsonObject finding = get("/collect/api/submission?id=" + id)["findings"][0].toObject();
        const auto counted = [&] {
            for (const QJsonValue &c : get("/collect/api/overview")["findings"].toArray())
                if (c["check"] == finding["check"])
                    return std::pair{c["open"].toInt(), c["checked"].toInt()};
            return std::pair{-1, -1};
        };
        const auto [open, checked] = counted();
        QCOMPARE(desk_.post("/collect/api/finding", {{"id", id.toLongLong()}, {"key", finding["key"]}, {"checked", true}}).status, 200);
        QCOMPARE(counted(), std::pair(open - 1, checked + 1));
        QCOMPARE(get("/collect/api/submission?id=" + id)["findings"][0]["checked"]["by"].toString(), "调查办公室");
        QCOMPARE(get("/collect/api/submissions?check=" + finding["check"].toString().toLatin1())["total"].toInt(), 1);
    }

    // Two collectors set one submission at once: the later stands, both are logged.
    void twoCollectorsAtOnce()
    {
        const qint64 id = upload(file(1));
        const QString added = server_->command({"collectors", "add", "第二人"});
        const QString code = QRegularExpression("请记下）：([A-Za-z0-9_-]+)").match(added).captured(1);
        QVERIFY2(!code.isEmpty(), qPrintable(added));
        const ServeFixture::Collector second = ServeFixture::signIn(server_->port(), code.toLatin1());
        int statuses[2] = {};
        std::thread a([&] { statuses[0] = desk_.post("/collect/api/review", {{"ids", QJsonArray{id}}, {"state", "approved"}}).status; });
        std::thread b([&] { statuses[1] = second.post("/collect/api/review", {{"ids", QJsonArray{id}}, {"state", "pending"}}).status; });
        a.join();
        b.join();
        QCOMPARE(statuses[0], 200);
        QCOMPARE(statuses[1], 200);
        const QJsonArray log = audit();
        QCOMPARE(log[0]["action"].toString(), "review");
        QCOMPARE(log[1]["action"].toString(), "review");
        QVERIFY(log[0]["collector"] != log[1]["collector"]);
        QCOMPARE(get("/collect/api/submission?id=" + QByteArray::number(id))["review"]["stateText"], log[0]["detail"]);
    }

    // A new code takes files and counts them; revoked, it takes none.
    void uploadCodes()
    {
        const QJsonObject made = json(desk_.post("/collect/api/codes", {{"name", "<b>县</b>=SUM(A1)"}}));
        const QByteArray code = made["code"].toString().toLatin1();
        QVERIFY(upload(file(1), "一_填报结果.dbf", code) > 0);
        const QJsonArray codes = get("/collect/api/codes")["codes"].toArray();
        QCOMPARE(codes[1]["name"].toString(), "<b>县</b>=SUM(A1)");
        QCOMPARE(codes[1]["files"].toInt(), 1);
        QCOMPARE(desk_.post("/collect/api/codes/revoke", {{"id", codes[1]["id"]}}).status, 200);
        QCOMPARE(upload(file(2), "二_填报结果.dbf", code), 0);
        QCOMPARE(audit()[0]["actionText"].toString(), "停用上传代码");
        QCOMPARE(audit()[1]["actionText"].toString(), "建立上传代码");
    }

    // A database from before the findings were listed gets them listed when it is brought up to date.
    void upgradeListsFindings()
    {
        int enterprise = 1;
        fileWithFindings(enterprise);
        const QJsonArray before = get("/collect/api/overview")["findings"].toArray();
        QVERIFY(server_->stop());
        for (const char *statement :
             {"DROP TABLE sessions", "DROP TABLE reviews", "DROP TABLE checked_findings", "DROP TABLE audit_log",
              "DROP TABLE findings", "DROP TABLE collectors", "DROP INDEX submissions_by_accepted",
              "DROP INDEX submissions_listed", "DELETE FROM schema_migrations WHERE version = 2"}) {
            QString error;
            QVERIFY2(ServeFixture::execute(data_, database_, statement, &error), qPrintable(error));
        }
        QVERIFY2(server_->start(), qPrintable(server_->error()));
        desk_ = ServeFixture::signIn(server_->port(), server_->firstCollectorCode());
        QCOMPARE(get("/collect/api/overview")["findings"].toArray(), before);
    }

    // Headless Chromium signs in, watches the count grow, sends a file back,
    // marks a finding, is refused from elsewhere and without the token, signs out.
    void browser()
    {
        for (const char *tool : {"/usr/bin/python3", "/usr/bin/chromium", "/usr/bin/chromedriver"})
            if (!QFile::exists(tool))
                QSKIP("no Chromium with chromedriver and python3-selenium (tools/install-deps installs them)");
        int enterprise = 1;
        const QByteArray id = fileWithFindings(enterprise);
        const QString later = dir_.path() + "/files/later.dbf";
        QFile f(later);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file(enterprise + 1)) > 0);
        f.close();
        QStringList arguments{QStringLiteral(CSR_SOURCE_DIR "/tests/serve/collect_page.py"),
                              QStringLiteral("http://127.0.0.1:%1").arg(server_->port()),
                              QString::fromLatin1(server_->firstCollectorCode()), QString::fromLatin1(server_->firstCode()),
                              later, QString::fromLatin1(id)};
        // The manual's pictures: CSR_SERVE_SCREENSHOTS=docs build/tst_serve_collect browser
        if (qEnvironmentVariableIsSet("CSR_SERVE_SCREENSHOTS"))
            arguments << "--screenshots" << qEnvironmentVariable("CSR_SERVE_SCREENSHOTS");
        QProcess browser;
        browser.start("/usr/bin/python3", arguments);
        QVERIFY(browser.waitForFinished(120000));
        QVERIFY2(browser.exitCode() == 0, browser.readAllStandardError().constData());
        const QJsonObject seen = QJsonDocument::fromJson(browser.readAllStandardOutput()).object();
        QCOMPARE(seen["before"].toInt() + 1, seen["after"].toInt());
        QCOMPARE(seen["state"].toString(), "退回");
        // In the first download, and not in the one made after it was sent back.
        QCOMPARE(seen["dataSet"].toArray(), QJsonArray({true, false, 1}));
        QCOMPARE(seen["checked"].toBool(), true);
        QCOMPARE(seen["elsewhere"].toInt(), 403);
        QCOMPARE(seen["tokenless"].toInt(), 403);
        QCOMPARE(seen["signedOut"].toBool(), true);
        QCOMPARE(seen["scripts"].toInt(), 0);
        const QJsonObject one = get("/collect/api/submission?id=" + id);
        QCOMPARE(one["review"]["stateText"].toString(), "退回");
        QVERIFY(one["findings"][0]["checked"].isObject());
        QCOMPARE(get("/collect/api/overview")["current"].toInt(), enterprise);
    }
};

QTEST_GUILESS_MAIN(ServeCollectTest)
#include "tst_serve_collect.moc"
