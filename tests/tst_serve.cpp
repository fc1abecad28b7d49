// csr-serve as a client sees it: the real process on a free port, real HTTP,
// the database it really uses (SQLite, or a throwaway PostgreSQL when
// CSR_SERVE_DATABASE=postgres, under pg_virtualenv).
#include "tests/collect/SampleRecords.h"
#include "tests/serve/HttpClient.h"
#include "tests/serve/ServeFixture.h"
#include "tests/serve/ServeProcess.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace {

using HttpClient::Reply;

using ServeFixture::json;
using ServeFixture::onPostgres;

QByteArray firstLines(const QByteArray &bytes, int lines)
{
    qsizetype end = 0;
    for (int i = 0; i < lines; ++i)
        end = bytes.indexOf("\r\n", end) + 2;
    return bytes.left(end);
}

} // namespace

class ServeTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString data_, database_;
    std::unique_ptr<ServeProcess> server_;
    QByteArray code_;
    int files_ = 0;

    std::unique_ptr<ServeProcess> startServer(const QStringList &options = {})
    {
        auto server = std::make_unique<ServeProcess>(CSR_SERVE_PATH, data_, database_, options);
        if (!server->start())
            qFatal("csr-serve did not start: %s", qPrintable(server->error()));
        return server;
    }

    QByteArray resultFile(int index, quint32 seed = 1) { return ServeFixture::resultFile(dir_.path() + "/files", index, seed); }

    QByteArray nextFile() { return resultFile(++files_); }

    static HttpClient::Call upload(const QByteArray &bytes, const QByteArray &code,
                                   const QByteArray &name = "企业_填报结果.dbf")
    {
        HttpClient::Call call{"POST", "/api/v1/submissions", {}, bytes, -1, {}};
        if (!code.isNull())
            call.headers.append({"Authorization", "Bearer " + code});
        call.headers.append({"X-File-Name", QUrl::toPercentEncoding(QString::fromUtf8(name))});
        return call;
    }

    Reply send(const HttpClient::Call &call, const ServeProcess *server = nullptr)
    {
        return HttpClient::send((server ? server : server_.get())->port(), call);
    }

    // How many files the code received, as `codes list` says.
    int stored()
    {
        const QStringList rows = server_->command({"codes", "list"}).split('\n');
        return rows.size() > 1 ? rows[1].split('\t').value(4).toInt() : -1;
    }

    // The bytes kept for a submission, read from the database itself.
    QByteArray storedBytes(qint64 id)
    {
        QByteArray bytes;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(onPostgres() ? "QPSQL" : "QSQLITE", "reader");
            if (onPostgres()) {
                const QUrl url(database_);
                db.setHostName(url.host());
                db.setPort(url.port());
                db.setUserName(url.userName());
                db.setPassword(url.password());
                db.setDatabaseName(url.path().mid(1));
            } else {
                db.setDatabaseName(data_ + "/csr-serve.sqlite");
            }
            db.open();
            QSqlQuery q(db);
            q.prepare("SELECT bytes FROM submissions WHERE id = ?");
            q.addBindValue(id);
            if (q.exec() && q.next())
                bytes = q.value(0).toByteArray();
        }
        QSqlDatabase::removeDatabase("reader");
        return bytes;
    }

    void execute(const QString &statement)
    {
        QString error;
        QVERIFY2(ServeFixture::execute(data_, database_, statement, &error), qPrintable(error));
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("CSR_SERVE_DATABASE") == "postgres-missing")
            QSKIP("PostgreSQL's pg_virtualenv is not installed: the PostgreSQL cases are not run");
        QVERIFY(dir_.isValid());
        QVERIFY(QDir().mkpath(dir_.path() + "/files"));
    }

    void init()
    {
        static int n = 0;
        data_ = dir_.path() + QStringLiteral("/data%1").arg(++n);
        database_ = ServeFixture::freshDatabase();
        server_ = startServer();
        code_ = server_->firstCode();
        QVERIFY(!code_.isEmpty());
    }

    void cleanup()
    {
        QVERIFY2(server_->stop(), qPrintable(server_->error()));
        server_.reset();
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        const QByteArray whole = resultFile(1000);
        QByteArray notGbk = whole;
        notGbk.insert(notGbk.indexOf("\r\n") + 2, "\x81\x20");
        QByteArray lf = whole;
        lf.replace("\r\n", "\n");
        const QByteArray name = "企业_填报结果.dbf";
        QTest::newRow("whole") << whole << name << 201 << QString();
        QTest::newRow("empty") << QByteArray() << name << 422 << "文件是空的";
        QTest::newRow("cut short") << whole.left(whole.indexOf("\r\n", 300) + 2) << name << 422 << "文件不完整";
        QTest::newRow("138 lines") << firstLines(whole, 138) << name << 422
                                   << "文件不完整：只有 138 行，应为 139 行";
        QTest::newRow("140 lines") << whole + "\r\n" << name << 422 << "多于 139 行";
        QTest::newRow("not GBK") << notGbk << name << 422 << "不是 GBK";
        QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF" + whole << name << 422 << "UTF-8 标记";
        QTest::newRow("LF line ends") << lf << name << 422 << "行尾是 LF";
        QTest::newRow("name with ../") << resultFile(1001) << QByteArray("../../etc/passwd") << 201 << QString();
        QTest::newRow("name with markup") << resultFile(1002) << QByteArray("<img src=x onerror=alert(1)>_填报结果.dbf")
                                          << 201 << QString();
        QTest::newRow("name with controls") << resultFile(1003) << QByteArray("a\x01\x1b[31mb.dbf") << 201 << QString();
        QTest::newRow("name of 2000 characters") << resultFile(1004) << QByteArray(2000, 'x') << 201 << QString();
    }

    // Each file gets its status and words; every one is kept, and its name is only text.
    void answers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, name);
        QFETCH(int, status);
        QFETCH(QString, reason);
        const Reply reply = send(upload(bytes, code_, name));
        QCOMPARE(reply.status, status);
        QCOMPARE(reply.header("X-Content-Type-Options"), "nosniff");
        const QJsonObject answer = json(reply);
        QCOMPARE(answer["accepted"].toBool(), status == 201);
        QVERIFY2(answer["reason"].toString().contains(reason), qPrintable(answer["reason"].toString()));
        if (status == 422)
            QVERIFY(answer["message"].toString().endsWith("请用填报程序打开原文件，保存后重新上传。"));
        const QJsonObject receipt = answer["receipt"].toObject();
        QCOMPARE(receipt["sha256"].toString().toLatin1(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        const QString kept = receipt["fileName"].toString();
        QVERIFY(kept.size() <= 255);
        QVERIFY(std::none_of(kept.begin(), kept.end(), [](QChar c) { return c.unicode() < 0x20; }));
        QCOMPARE(storedBytes(receipt["id"].toInteger()), bytes);
        // Nothing is written beside the database, whatever the name.
        QDir data(data_);
        for (const QString &entry : data.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QVERIFY2(entry.startsWith("csr-serve.sqlite"), qPrintable(entry));
        const Reply again = send({"GET", "/api/v1/submissions/" + QByteArray::number(receipt["id"].toInteger()),
                                  {{"Authorization", "Bearer " + code_}}, {}, -1, {}});
        QCOMPARE(again.status, 200);
        QCOMPARE(json(again)["receipt"], answer["receipt"]);
    }

    // The same bytes again: the earlier receipt, kept once.
    void sameBytesTwice()
    {
        const QByteArray file = nextFile();
        const Reply first = send(upload(file, code_));
        const Reply second = send(upload(file, code_));
        QCOMPARE(first.status, 201);
        QCOMPARE(second.status, 200);
        QCOMPARE(json(second)["receipt"], json(first)["receipt"]);
        QCOMPARE(stored(), 1);
    }

    // A newer file of the same enterprise says which one it replaces.
    void newerFileReplaces()
    {
        const QByteArray first = resultFile(7), other = resultFile(8);
        // The other file's answers under the first one's name (line 1).
        const QByteArray second = first.left(first.indexOf("\r\n")) + other.mid(other.indexOf("\r\n"));
        const Reply older = send(upload(first, code_));
        const Reply newer = send(upload(second, code_));
        QCOMPARE(newer.status, 201);
        const QJsonObject replaces = json(newer)["replaces"].toObject();
        QCOMPARE(replaces["id"], json(older)["receipt"].toObject()["id"]);
        QVERIFY(replaces["text"].toString().startsWith("已替换 "));
        QVERIFY(!json(older).contains("replaces"));
    }

    void codes_data()
    {
        QTest::addColumn<QByteArray>("authorization");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("pageStatus");
        QTest::newRow("none") << QByteArray() << 401 << 404;
        QTest::newRow("unknown") << QByteArray("Bearer AAAAAAAAAAAAAAAAAAAAAAAAAAA") << 403 << 404;
        QTest::newRow("revoked") << QByteArray("revoked") << 403 << 403;
        QTest::newRow("added") << QByteArray("added") << 201 << 200;
    }

    // Codes made and revoked by the commands while the server runs.
    void codes()
    {
        QFETCH(QByteArray, authorization);
        QFETCH(int, status);
        QFETCH(int, pageStatus);
        QByteArray code = authorization.mid(7);
        if (authorization == "revoked" || authorization == "added") {
            const QString added = server_->command({"codes", "add", "某省"});
            code = added.section("：", 1, 1).section('\n', 0, 0).toLatin1();
            QVERIFY2(code.size() >= 22, qPrintable(added)); // 128 bits and more
            if (authorization == "revoked") {
                int exit = -1;
                server_->command({"codes", "revoke", QString::fromLatin1(code)}, &exit);
                QCOMPARE(exit, 0);
            }
        }
        const Reply reply = send(upload(nextFile(), authorization.isEmpty() ? QByteArray() : code));
        QCOMPARE(reply.status, status);
        const Reply page = send({"GET", "/u/" + code, {}, {}, -1, {}});
        QCOMPARE(page.status, pageStatus);
        QVERIFY(page.header("Content-Security-Policy").startsWith("default-src 'none'"));
        QVERIFY(page.header("Access-Control-Allow-Origin").isEmpty());
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<int>("status");
        QTest::newRow("GET the upload route") << QByteArray("GET") << QByteArray("/api/v1/submissions") << -1LL << 405;
        QTest::newRow("DELETE a receipt") << QByteArray("DELETE") << QByteArray("/api/v1/submissions/1") << -1LL << 405;
        QTest::newRow("unknown route") << QByteArray("GET") << QByteArray("/../../etc/passwd") << -1LL << 404;
        QTest::newRow("16 MiB + 1") << QByteArray("POST") << QByteArray("/api/v1/submissions")
                                    << qint64(16 << 20) + 1 << 413;
    }

    // Refused from the head alone: the body (here never sent) is not waited for.
    void refusals()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(qint64, length);
        QFETCH(int, status);
        const Reply reply = send({method, path, {{"Authorization", "Bearer " + code_}}, {}, length, {}});
        QCOMPARE(reply.status, status);
        QVERIFY(!json(reply)["error"].toString().isEmpty());
    }

    void collectorGate_data()
    {
        QTest::addColumn<QByteArray>("code");   // signed in with this code first; empty: not signed in
        QTest::addColumn<QByteArray>("origin"); // of the sign-out
        QTest::addColumn<bool>("withToken");
        QTest::addColumn<int>("status");
        QTest::newRow("signed out") << QByteArray() << QByteArray() << true << 401;
        QTest::newRow("an upload code") << QByteArray("upload") << QByteArray() << true << 401;
        QTest::newRow("no token") << QByteArray("collector") << QByteArray() << false << 403;
        QTest::newRow("another origin") << QByteArray("collector") << QByteArray("http://elsewhere.example") << true
                                        << 403;
        QTest::newRow("the page itself") << QByteArray("collector") << QByteArray("own") << true << 200;
    }

    // Nothing of the collectors' side answers without a session, and a
    // change needs the session's token and the page's own origin.
    void collectorGate()
    {
        QFETCH(QByteArray, code);
        QFETCH(QByteArray, origin);
        QFETCH(bool, withToken);
        QFETCH(int, status);
        const QByteArray own = "http://127.0.0.1:" + QByteArray::number(server_->port());
        const QByteArray secret = code == "upload" ? code_ : server_->firstCollectorCode();
        QByteArray cookie, token;
        if (!code.isEmpty()) {
            const Reply in = send({"POST", "/collect/api/session", {{"Origin", own}},
                                   QJsonDocument(QJsonObject{{"code", QString::fromLatin1(secret)}}).toJson(), -1, {}});
            QCOMPARE(in.status, code == "upload" ? 403 : 200);
            cookie = in.header("set-cookie").split(';').first();
            token = json(in)["csrf"].toString().toLatin1();
            if (code == "collector")
                QVERIFY(in.header("set-cookie").contains("HttpOnly; SameSite=Strict"));
        }
        HttpClient::Call out{"POST", "/collect/api/signout", {{"Cookie", cookie}}, "{}", -1, {}};
        if (withToken)
            out.headers.append({"X-CSRF-Token", token});
        if (!origin.isEmpty())
            out.headers.append({"Origin", origin == "own" ? own : origin});
        QCOMPARE(send(out).status, status);
        // Signed out only by the request that was let through.
        QCOMPARE(send({"GET", "/collect/api/me", {{"Cookie", cookie}}, {}, -1, {}}).status,
                 status == 403 ? 200 : 401);
    }

    // A body that stops early is not kept, and the server goes on.
    void bodyCutShort()
    {
        const QByteArray file = nextFile();
        HttpClient::Call call = upload(file, code_);
        const int s = HttpClient::connectTo(server_->port());
        call.length = file.size();
        const QByteArray partial = HttpClient::head(call) + file.left(file.size() / 2);
        QCOMPARE(::send(s, partial.constData(), size_t(partial.size()), MSG_NOSIGNAL), ssize_t(partial.size()));
        ::shutdown(s, SHUT_WR);
        HttpClient::receive(s, 2000);
        QCOMPARE(send(upload(nextFile(), code_)).status, 201);
        QCOMPARE(stored(), 1);
    }

    // 500 idle connections and one sending a byte a second hold no upload up.
    void slowAndIdleClients()
    {
        QList<int> idle;
        for (int i = 0; i < 500; ++i)
            idle.append(HttpClient::connectTo(server_->port()));
        std::atomic<bool> done{false}, slowSent{false};
        const QByteArray head = HttpClient::head(upload(nextFile(), code_));
        std::thread slow([&] {
            const int s = HttpClient::connectTo(server_->port(), "127.0.0.3");
            for (int i = 0; i < head.size() && !done; ++i) {
                ::send(s, head.constData() + i, 1, MSG_NOSIGNAL);
                QThread::msleep(i < 3 ? 1000 : 50);
            }
            slowSent = !done;
            ::close(s);
        });
        QThread::msleep(1500);
        HttpClient::Call call = upload(nextFile(), code_);
        call.from = "127.0.0.2";
        QCOMPARE(send(call).status, 201);
        QVERIFY(!slowSent); // answered while the slow one was still sending its head
        done = true;
        slow.join();
        for (int s : idle)
            if (s >= 0)
                ::close(s);
    }

    // 50 uploads at once from 50 connections: 50 submissions, none twice.
    void concurrentUploads()
    {
        QList<QByteArray> files;
        for (int i = 0; i < 50; ++i)
            files.append(nextFile());
        QList<Reply> replies(50);
        std::vector<std::thread> clients;
        for (int i = 0; i < 50; ++i)
            clients.emplace_back([&, i] { replies[i] = HttpClient::send(server_->port(), upload(files[i], code_)); });
        for (std::thread &t : clients)
            t.join();
        QSet<qint64> ids;
        for (const Reply &r : replies) {
            QCOMPARE(r.status, 201);
            ids.insert(json(r)["receipt"].toObject()["id"].toInteger());
        }
        QCOMPARE(ids.size(), 50);
        QCOMPARE(stored(), 50);
    }

    // kill -9 in the middle of 200 uploads: every acknowledged one is there, byte for byte.
    void killDuringUploads()
    {
        QList<QByteArray> files;
        for (int i = 0; i < 200; ++i)
            files.append(nextFile());
        std::mutex mutex;
        QList<QPair<qint64, qsizetype>> acknowledged;
        std::atomic<qsizetype> next{0};
        std::vector<std::thread> clients;
        const quint16 port = server_->port();
        for (int c = 0; c < 8; ++c)
            clients.emplace_back([&] {
                for (qsizetype i; (i = next++) < files.size();) {
                    const Reply r = HttpClient::send(port, upload(files[i], code_));
                    if (r.status == 201) {
                        std::lock_guard lock(mutex);
                        acknowledged.append({json(r)["receipt"].toObject()["id"].toInteger(), i});
                    }
                }
            });
        while (next < 80)
            QThread::msleep(1);
        server_->kill();
        for (std::thread &t : clients)
            t.join();
        QVERIFY(acknowledged.size() >= 40);
        QVERIFY(acknowledged.size() < 200);
        server_ = startServer();
        for (const auto &[id, file] : acknowledged)
            QCOMPARE(storedBytes(id), files[file]);
        QCOMPARE(send(upload(files[acknowledged.first().second], code_)).status, 200);
    }

    // A commit that fails is never acknowledged: 503, nothing kept.
    void commitFails()
    {
        if (onPostgres())
            execute("CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN IF NEW.file_name = 'fail.dbf' THEN "
                    "RAISE EXCEPTION 'disk full'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql; "
                    "CREATE TRIGGER refuse BEFORE INSERT ON submissions FOR EACH ROW EXECUTE FUNCTION refuse()");
        else
            execute("CREATE TRIGGER refuse BEFORE INSERT ON submissions WHEN NEW.file_name = 'fail.dbf' "
                    "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        const Reply refused = send(upload(nextFile(), code_, "fail.dbf"));
        QCOMPARE(refused.status, 503);
        QVERIFY(!refused.header("Retry-After").isEmpty());
        QCOMPARE(stored(), 0);
        QCOMPARE(send(upload(nextFile(), code_)).status, 201);
    }

    // Past the rate per address (behind a proxy, the address it forwards): 429 with the seconds to wait.
    void rateLimit()
    {
        QVERIFY(server_->stop());
        server_ = startServer({"--rate-per-address", "3", "--trusted-proxy", "127.0.0.1"});
        auto from = [&](const QByteArray &client) {
            HttpClient::Call call = upload(nextFile(), code_);
            call.headers.append({"X-Real-IP", client});
            return send(call);
        };
        for (int i = 0; i < 3; ++i)
            QCOMPARE(from("10.0.0.1").status, 201);
        const Reply refused = from("10.0.0.1");
        QCOMPARE(refused.status, 429);
        QVERIFY(refused.header("Retry-After").toInt() >= 1);
        QCOMPARE(from("10.0.0.2").status, 201);
    }

    // Headless Chromium picks a whole file and a broken one, and reads both answers on the page.
    void browserUpload()
    {
        const QString script = QStringLiteral(CSR_SOURCE_DIR "/tests/serve/upload_page.py");
        for (const char *tool : {"/usr/bin/python3", "/usr/bin/chromium", "/usr/bin/chromedriver"})
            if (!QFile::exists(tool))
                QSKIP("no Chromium with chromedriver and python3-selenium (tools/install-deps installs them)");
        const QByteArray whole = nextFile(), broken = nextFile();
        const QString wholePath = dir_.path() + "/files/企业_填报结果.dbf";
        const QString brokenPath = dir_.path() + "/files/<img src=x onerror=alert(1)>_填报结果.dbf";
        for (const auto &[path, bytes] : {std::pair{wholePath, whole}, {brokenPath, firstLines(broken, 65)}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        QStringList arguments{script, QStringLiteral("http://127.0.0.1:%1/u/%2").arg(server_->port()).arg(QString::fromLatin1(code_)),
                              wholePath, brokenPath};
        // The manual's picture: CSR_SERVE_SCREENSHOT=docs/serve-upload.png build/tst_serve browserUpload
        if (qEnvironmentVariableIsSet("CSR_SERVE_SCREENSHOT"))
            arguments << "--screenshot" << qEnvironmentVariable("CSR_SERVE_SCREENSHOT");
        QProcess browser;
        browser.start("/usr/bin/python3", arguments);
        QVERIFY(browser.waitForFinished(60000));
        const QByteArray out = browser.readAllStandardOutput();
        QVERIFY2(browser.exitCode() == 0, browser.readAllStandardError().constData());
        QJsonArray answers = QJsonDocument::fromJson(out).array();
        QCOMPARE(answers.size(), 2);
        QHash<QString, QJsonObject> byName;
        for (const QJsonValue &a : answers)
            byName.insert(a["name"].toString(), a.toObject());
        QCOMPARE(byName["企业_填报结果.dbf"]["status"].toString(), "已收到");
        const QJsonObject refused = byName["<img src=x onerror=alert(1)>_填报结果.dbf"];
        QVERIFY(refused["status"].toString().startsWith("未收到"));
        QVERIFY2(refused["text"].toString().contains("文件不完整：只有 65 行，应为 139 行。请用填报程序打开原文件"), qPrintable(refused["text"].toString()));
        QCOMPARE(refused["images"].toInt(), 0);
    }

    // Two servers on one PostgreSQL receiving the same files at once keep each once.
    void twoServersOneDatabase()
    {
        if (!onPostgres())
            QSKIP("two servers share a PostgreSQL database only");
        const std::unique_ptr<ServeProcess> second = startServer();
        auto stopSecond = qScopeGuard([&] { QVERIFY2(second->stop(), qPrintable(second->error())); });
        QList<QByteArray> files;
        for (int i = 0; i < 20; ++i)
            files.append(nextFile());
        QList<Reply> replies(40);
        std::vector<std::thread> clients;
        for (int i = 0; i < 40; ++i)
            clients.emplace_back([&, i] {
                replies[i] = HttpClient::send(i % 2 ? second->port() : server_->port(), upload(files[i / 2], code_));
            });
        for (std::thread &t : clients)
            t.join();
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(replies[2 * i].status + replies[2 * i + 1].status, 401); // one 201, one 200
            QCOMPARE(json(replies[2 * i])["receipt"], json(replies[2 * i + 1])["receipt"]);
        }
        QCOMPARE(stored(), 20);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ServeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_serve.moc"
