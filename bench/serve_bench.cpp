// Benchmark of csr-serve: distinct generated result files uploaded by 1, 8
// and 32 concurrent clients to the real server process, on SQLite (and on
// PostgreSQL when PGHOST is set: run it under pg_virtualenv), beside two
// baselines measured in the same run: an HTTP server of the same layer that
// answers at once (the cost of HTTP here) and one durable SQLite commit per
// submission through the server's own store (what the disk allows without
// grouping). Then the server's memory with 32 uploads of 16 MiB at once.
// Then the data set and the report of 10,000 current submissions, made by the
// server beside csr-collect's time on the same files (the server's zip of them).
//   csr-serve-bench [--uploads N] [--current M]   (N per client count, default 2000; M default 10000)
#include "serve/http/HttpServer.h"
#include "serve/store/Store.h"
#include "tests/collect/SampleRecords.h"
#include "tests/serve/HttpClient.h"
#include "tests/serve/ServeProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

// Distinct files: one enterprise's file under numbered names (line 1).
QList<QByteArray> makeFiles(const QString &folder, int count, int first)
{
    QRandomGenerator rng(20141210);
    QFile file(SampleRecords::write(SampleRecords::make(rng, 1, SampleRecords::Texts::Plain,
                                                        SampleRecords::Values::Consistent), folder + '/'));
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const qsizetype end = bytes.indexOf("\r\n");
    QList<QByteArray> files;
    for (int i = 0; i < count; ++i)
        files.append(bytes.left(end) + QByteArray::number(first + i) + bytes.mid(end));
    return files;
}

struct Run {
    double perSecond = 0;
    double median = 0, p95 = 0, p99 = 0; // milliseconds, last byte sent to the answer
    int failed = 0;
};

double percentile(std::vector<double> &v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

Run upload(quint16 port, const QByteArray &code, const QList<QByteArray> &files, int clients)
{
    std::atomic<qsizetype> next{0};
    std::atomic<int> failed{0};
    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            for (qsizetype i; (i = next++) < files.size();) {
                HttpClient::Call call{"POST", "/api/v1/submissions", {{"Authorization", "Bearer " + code}},
                                      files[i], -1, {}};
                const HttpClient::Reply r = HttpClient::send(port, call);
                if (r.status != 201)
                    ++failed;
                latencies[size_t(c)].push_back(double(r.answeredNs - r.sentNs) / 1e6);
            }
        });
    for (std::thread &t : threads)
        t.join();
    Run run;
    run.perSecond = double(files.size()) / (double(wall.nsecsElapsed()) / 1e9);
    std::vector<double> all;
    for (const auto &l : latencies)
        all.insert(all.end(), l.begin(), l.end());
    run.median = percentile(all, 0.5);
    run.p95 = percentile(all, 0.95);
    run.p99 = percentile(all, 0.99);
    run.failed = failed;
    return run;
}

void print(const char *what, int clients, const Run &r)
{
    std::printf("%-34s %3d clients: %8.0f /s   median %6.2f ms   p95 %6.2f ms   p99 %6.2f ms%s\n", what, clients,
                r.perSecond, r.median, r.p95, r.p99, r.failed ? qPrintable(QStringLiteral("   (%1 failed)").arg(r.failed)) : "");
    std::fflush(stdout);
}

// The same HTTP layer answering 201 at once, in this process.
void baselineHttp(const QList<QByteArray> &files)
{
    Serve::Limits limits;
    Serve::HttpServer http(limits, {[](Serve::Request &) { return std::optional<Serve::Response>(); },
                                    [](Serve::Request, Serve::HttpServer::Reply reply) {
                                        reply({201, "application/json", "{}", {}});
                                    }});
    QString error;
    if (!http.start("127.0.0.1", 0, &error))
        return;
    for (int clients : {1, 8, 32})
        print("baseline: HTTP answering at once", clients, upload(http.port(), "x", files, clients));
}

// One durable commit per submission, through the server's store.
void baselineCommits(const QString &folder, const QList<QByteArray> &files)
{
    QString error;
    Serve::Database db;
    db.sqliteFile = folder + "/one-by-one.sqlite";
    std::unique_ptr<Serve::Store> store = Serve::Store::open(db, &error);
    if (!store || !store->migrate(&error) || !store->addCode("bench", &error))
        return;
    QElapsedTimer wall;
    wall.start();
    const int count = int(std::min<qsizetype>(files.size(), 300));
    for (int i = 0; i < count; ++i) {
        QList<Serve::Submission> one{{}};
        one[0].sha256 = Serve::sha256Hex(files[i]);
        one[0].codeId = 1;
        one[0].received = QDateTime::currentDateTimeUtc();
        one[0].bytes = files[i];
        one[0].verdict = "{}";
        QList<bool> isNew;
        store->commit(one, isNew, &error);
    }
    std::printf("%-34s            %8.0f /s\n", "baseline: one SQLite commit each", count / (wall.nsecsElapsed() / 1e9));
}

qint64 peakKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

void serverRuns(const QString &folder, const QString &database, const QList<QByteArray> &files, int perRun)
{
    ServeProcess server(CSR_SERVE_PATH, folder + (database.isEmpty() ? "/sqlite" : "/postgres"), database,
                        {"--rate-per-address", "0", "--rate-per-code", "0"});
    if (!server.start()) {
        std::printf("csr-serve did not start: %s\n", qPrintable(server.error()));
        return;
    }
    const char *what = database.isEmpty() ? "csr-serve on SQLite" : "csr-serve on PostgreSQL";
    int at = 0;
    for (int clients : {1, 8, 32}) {
        const int count = clients == 1 ? perRun / 4 : perRun;
        print(what, clients, upload(server.port(), server.firstCode(), files.mid(at, count), clients));
        at += count;
    }
    if (!database.isEmpty())
        return;
    const qint64 before = peakKiB(server.pid());
    QList<QByteArray> large;
    for (int i = 0; i < 32; ++i)
        large.append(QByteArray(16 << 20, char('a' + i % 26)) + QByteArray::number(i));
    for (QByteArray &l : large)
        l.truncate(16 << 20);
    const Run r = upload(server.port(), server.firstCode(), large, 32);
    std::printf("32 uploads of 16 MiB at once: server's peak memory %lld MiB (before: %lld MiB), %.1f s\n",
                peakKiB(server.pid()) / 1024, before / 1024, double(32) / r.perSecond);
}

// The collectors' session cookie.
QByteArray signIn(const ServeProcess &server)
{
    const QByteArray own = "http://127.0.0.1:" + QByteArray::number(server.port());
    const QByteArray body =
        QJsonDocument(QJsonObject{{"code", QString::fromLatin1(server.firstCollectorCode())}}).toJson();
    const HttpClient::Reply in = HttpClient::send(server.port(), {"POST", "/collect/api/session", {{"Origin", own}}, body, -1, {}});
    return in.header("set-cookie").split(';').first();
}

// A download from its first request to its last byte, polled every 20 ms as the page polls; seconds.
double timedDownload(quint16 port, const QByteArray &cookie, const QByteArray &file, QByteArray *body = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    const QByteArray path = "/collect/api/downloads/" + file;
    HttpClient::Reply r = HttpClient::send(port, {"GET", path, {{"Cookie", cookie}}, {}, -1, {}}, 600000);
    while (r.status == 202) {
        QThread::msleep(20);
        const QByteArray job = QByteArray::number(QJsonDocument::fromJson(r.body).object()["job"].toInteger());
        r = HttpClient::send(port, {"GET", path + "?job=" + job, {{"Cookie", cookie}}, {}, -1, {}}, 600000);
    }
    if (r.status != 200)
        std::printf("%s: %d %s\n", file.constData(), r.status, r.body.constData());
    if (body)
        *body = r.body;
    return double(clock.nsecsElapsed()) / 1e9;
}

double timedCollect(const QString &folder, const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    QProcess collect;
    collect.setWorkingDirectory(folder);
    collect.start(CSR_COLLECT_PATH, QStringList{"填报结果", "-q"} + arguments);
    collect.waitForFinished(-1);
    return double(clock.nsecsElapsed()) / 1e9;
}

void downloadRuns(const QString &folder, int count)
{
    ServeProcess server(CSR_SERVE_PATH, folder + "/current", {}, {"--rate-per-address", "0", "--rate-per-code", "0"});
    if (!server.start()) {
        std::printf("csr-serve did not start: %s\n", qPrintable(server.error()));
        return;
    }
    upload(server.port(), server.firstCode(), makeFiles(folder, count, 1000000), 8);
    const QByteArray cookie = signIn(server);
    QByteArray zip;
    timedDownload(server.port(), cookie, "originals.zip", &zip);
    const QString offline = folder + "/offline";
    QDir().mkpath(offline);
    QFile file(offline + "/originals.zip");
    file.open(QIODevice::WriteOnly);
    file.write(zip);
    file.close();
    QProcess::execute("python3", {"-c", "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])",
                                  file.fileName(), offline});
    const struct {
        const char *what;
        QByteArray download;
        QStringList arguments;
    } runs[] = {{"data set (CSV)", "data.csv", {"-o", "data.csv"}},
                {"report (HTML)", "report.html", {"--report", "report.html"}}};
    for (const auto &run : runs) {
        const double served = timedDownload(server.port(), cookie, run.download);
        const double collected = timedCollect(offline, run.arguments);
        std::printf("%s of %d current submissions: csr-serve %.2f s, csr-collect %.2f s on the same files (%.2fx)\n",
                    run.what, count, served, collected, served / collected);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype uploadsAt = args.indexOf("--uploads"), currentAt = args.indexOf("--current");
    const int perRun = uploadsAt > 0 && uploadsAt + 1 < args.size() ? args[uploadsAt + 1].toInt() : 2000;
    const int current = currentAt > 0 && currentAt + 1 < args.size() ? args[currentAt + 1].toInt() : 10000;
    QTemporaryDir folder;
    const QList<QByteArray> files = makeFiles(folder.path(), perRun * 3, 0);
    std::printf("csr-serve-bench: %d uploads per run (a quarter for 1 client), files of %lld bytes\n", perRun,
                files.first().size());
    baselineHttp(files.mid(0, perRun));
    baselineCommits(folder.path(), files);
    serverRuns(folder.path(), {}, files, perRun);
    if (!qEnvironmentVariable("PGHOST").isEmpty())
        serverRuns(folder.path(),
                   QStringLiteral("postgresql://%1:%2@%3:%4/%5")
                       .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGPASSWORD"),
                            qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"),
                            qEnvironmentVariable("PGDATABASE")),
                   files, perRun);
    downloadRuns(folder.path(), current);
    return 0;
}
