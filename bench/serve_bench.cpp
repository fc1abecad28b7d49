// Benchmark of csr-serve: distinct generated result files uploaded by 1, 8
// and 32 concurrent clients to the real server process, on SQLite (and on
// PostgreSQL when PGHOST is set: run it under pg_virtualenv), beside two
// baselines measured in the same run: an HTTP server of the same layer that
// answers at once (the cost of HTTP here) and one durable SQLite commit per
// submission through the server's own store (what the disk allows without
// grouping). Then the server's memory with 32 uploads of 16 MiB at once.
// Last, the collectors' side with 100,000 submissions stored: the overview's
// answer time and a page of 50 submissions with a filter.
// Before it, the data set and the report of 10,000 current submissions, made
// by the server beside csr-collect's time on the same files (the server's zip of them).
//   csr-serve-bench --collectors-only    (the collectors' side alone)
//   csr-serve-bench [--uploads N] [--current M]   (N per client count, default 2000; M default 10000)
#include "serve/http/HttpServer.h"
#include "serve/store/Findings.h"
#include "serve/store/Sql.h"
#include "serve/store/Store.h"
#include "serve/verdict/Verdict.h"
#include "tests/collect/SampleRecords.h"
#include "tests/serve/HttpClient.h"
#include "tests/serve/ServeFixture.h"
#include "tests/serve/ServeProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <functional>
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

// Files of kEnterprises enterprises judged by the server's own verdict,
// stored straight into the database under distinct hashes, a minute apart,
// with their findings listed; some replaced, every tenth reviewed. One in ten
// has answers that contradict each other (many findings), as in a survey.
bool storeMany(const QString &folder, const QString &data, const QString &database, int count)
{
    constexpr int kKinds = 200;
    QList<Serve::Submission> kinds;
    for (int i = 0; i < kKinds; ++i)
        kinds.append(Serve::Verdict::judge(
            ServeFixture::resultFile(folder, i + 1, 1,
                                     i % 10 ? SampleRecords::Values::Consistent : SampleRecords::Values::Random),
            "企业_填报结果.dbf", {}));
    QString error;
    const auto db = Serve::Database::parse(database, data, &error);
    std::unique_ptr<Serve::Store> store = db ? Serve::Store::open(*db, &error) : nullptr;
    if (!store || !store->beginWrite(&error))
        return std::printf("%s\n", qPrintable(error)), false;
    QSqlQuery q(store->connection()), review(store->connection());
    q.prepare("INSERT INTO submissions (sha256, code_id, received, file_name, size, accepted, enterprise, "
              "enterprise_key, reason, verdict, bytes) VALUES (?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id");
    review.prepare("INSERT INTO reviews (submission_id, state, note, collector_id, changed) VALUES (?, ?, '', 1, ?)");
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-60LL * count);
    for (int i = 1; i <= count; ++i) {
        const Serve::Submission &k = kinds[i % kKinds];
        const QString name = k.enterprise + QString::number(i % (count * 7 / 10));
        for (const QVariant &v : QVariantList{QString::fromLatin1(Serve::sha256Hex(QByteArray::number(i))),
                                             start.addSecs(60LL * i).toString(Qt::ISODateWithMs), k.fileName, k.size,
                                             k.accepted ? 1 : 0, name, name, Serve::Sql::text(k.reason), QString::fromUtf8(k.verdict), k.bytes})
            q.addBindValue(v);
        if (!Serve::Sql::run(q, &error) || !q.next() || !Serve::Findings::list(store->connection(), q.value(0).toLongLong(), k.verdict, &error))
            return std::printf("insert: %s\n", qPrintable(error)), false;
        q.finish();
        if (i % 10 == 0) {
            review.addBindValue(i);
            review.addBindValue(i % 30 == 0 ? "rejected" : "approved");
            review.addBindValue(start.toString(Qt::ISODateWithMs));
            review.exec();
        }
    }
    q.finish();
    review.finish();
    // PostgreSQL's autovacuum would update the statistics within a minute.
    return store->commitTransaction(&error) && (!store->isPostgres() || QSqlQuery(store->connection()).exec("ANALYZE"));
}

// Each answer's time, in milliseconds; -1 when one failed. With upload set,
// a new file arrives before each, so that nothing kept answers for the server.
std::vector<double> times(const ServeFixture::Collector &desk, const QByteArray &path, int count,
                          const std::function<void(int)> &upload = {})
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        if (upload)
            upload(i);
        QElapsedTimer t;
        t.start();
        if (desk.get(path).status != 200)
            return {-1};
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return ms;
}

void collectorRuns(const QString &folder, const QString &database, const char *what)
{
    constexpr int kStored = 100000;
    // CSR_SERVE_BENCH_KEEP=folder: the SQLite data folder is made there and kept, to look at.
    const QString data = database.isEmpty() && qEnvironmentVariableIsSet("CSR_SERVE_BENCH_KEEP")
                             ? qEnvironmentVariable("CSR_SERVE_BENCH_KEEP")
                             : folder + (database.isEmpty() ? "/desk-sqlite" : "/desk-postgres");
    ServeProcess server(CSR_SERVE_PATH, data, database, {"--rate-per-address", "0", "--rate-per-code", "0"});
    if (!server.start())
        return void(std::printf("csr-serve did not start: %s\n", qPrintable(server.error())));
    const ServeFixture::Collector desk = ServeFixture::signIn(server.port(), server.firstCollectorCode());
    QElapsedTimer t;
    t.start();
    if (!storeMany(folder, data, database, kStored))
        return;
    std::printf("%s: %d submissions stored in %.1f s\n", what, kStored, double(t.elapsed()) / 1000);
    const QList<QByteArray> arriving = makeFiles(folder, 11, 900000);
    const auto upload = [&](int i) {
        HttpClient::send(server.port(), {"POST", "/api/v1/submissions",
                                         {{"Authorization", "Bearer " + server.firstCode()}}, arriving[i], -1, {}});
    };
    std::vector<double> fresh = times(desk, "/collect/api/overview", 11, upload);
    std::vector<double> kept = times(desk, "/collect/api/overview", 11);
    std::printf("  %-62s median %7.1f ms, max %7.1f ms\n", "overview, a new file before each", percentile(fresh, 0.5),
                *std::max_element(fresh.begin(), fresh.end()));
    std::printf("  %-62s median %7.1f ms\n", "overview, nothing new", percentile(kept, 0.5));
    for (const char *path : {"/collect/api/submissions?limit=50",
                             "/collect/api/submissions?limit=50&accepted=1&state=approved",
                             "/collect/api/submissions?limit=50&q=%E5%85%AC%E5%8F%B81234",
                             "/collect/api/submissions?limit=50&check=year_jump&before=50000",
                             "/collect/api/submission?id=99999", "/collect/api/chart.svg"}) {
        std::vector<double> ms = times(desk, path, 11);
        std::printf("  %-62s median %7.1f ms\n", path, percentile(ms, 0.5));
    }
    std::fflush(stdout);
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
    QTemporaryDir desk;
    const bool postgres = !qEnvironmentVariable("PGHOST").isEmpty();
    const auto collectors = [&] {
        collectorRuns(desk.path(), {}, "collectors' side on SQLite");
        if (postgres) {
            qputenv("CSR_SERVE_DATABASE", "postgres"); // a database of its own in the cluster
            collectorRuns(desk.path(), ServeFixture::freshDatabase(), "collectors' side on PostgreSQL");
        }
    };
    if (args.contains("--collectors-only")) {
        collectors();
        return 0;
    }
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
    if (postgres)
        serverRuns(folder.path(),
                   QStringLiteral("postgresql://%1:%2@%3:%4/%5")
                       .arg(qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGPASSWORD"),
                            qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"),
                            qEnvironmentVariable("PGDATABASE")),
                   files, perRun);
    downloadRuns(folder.path(), current);
    collectors();
    return 0;
}
