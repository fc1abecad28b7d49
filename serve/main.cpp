// csr-serve: receives the survey's result files over HTTP, judges each at
// once with the collector's code, keeps it durably and answers.
#include "platform/Headless.h"
#include "serve/access/Access.h"
#include "serve/downloads/DownloadRoutes.h"
#include "serve/http/HttpServer.h"
#include "serve/office/OfficeRoutes.h"
#include "serve/review/ReviewRoutes.h"
#include "serve/service/Options.h"
#include "serve/service/Routes.h"
#include "serve/service/Service.h"
#include "serve/store/Committer.h"

#include <QDir>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>

using namespace Serve;

namespace {

void say(const QString &text)
{
    std::fputs(qPrintable(text + '\n'), stdout);
    std::fflush(stdout);
}

int fail(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("csr-serve: ") + text + '\n'), stderr);
    return 1;
}

QString address(const Options &o, quint16 port, const QString &path)
{
    const QString host = o.host == "0.0.0.0" ? QStringLiteral("<本机地址>") : QString::fromLatin1(o.host);
    return QStringLiteral("http://%1:%2%3").arg(host).arg(port).arg(path);
}

QString pageAddress(const Options &o, quint16 port, const QString &code)
{
    return address(o, port, QLatin1String(Routes::kUploadPage) + code);
}

int codes(Store &store, const Options &o)
{
    const QStringList &c = o.command;
    QString error;
    if (c.size() == 3 && c[1] == "add") {
        const std::optional<QByteArray> code = store.addCode(c[2], &error);
        if (!code)
            return fail(error);
        say(QStringLiteral("上传代码（只显示这一次，请记下）：%1").arg(QString::fromLatin1(*code)));
        say(QStringLiteral("上传页面：%1").arg(pageAddress(o, o.port, QString::fromLatin1(*code))));
        return 0;
    }
    if (c.size() == 2 && c[1] == "list") {
        const QList<UploadCode> list = store.codes(&error);
        if (!error.isEmpty())
            return fail(error);
        say(QStringLiteral("编号\t名称\t建立时间\t状态\t收到文件数"));
        for (const UploadCode &u : list)
            say(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                    .arg(u.id)
                    .arg(u.name, u.created.toLocalTime().toString("yyyy-MM-dd HH:mm"),
                         u.revoked ? QStringLiteral("已停用") : QStringLiteral("有效"))
                    .arg(u.files));
        return 0;
    }
    if (c.size() == 3 && c[1] == "revoke") {
        if (!store.revokeCode(c[2].toLatin1(), &error))
            return fail(error);
        say(QStringLiteral("已停用。"));
        return 0;
    }
    return fail(QStringLiteral("命令不对。\n") + Options::usage());
}

int collectors(Store &store, const Options &o)
{
    const QStringList &c = o.command;
    Access access(store);
    QString error;
    if (c.size() == 3 && c[1] == "add") {
        const std::optional<QByteArray> code = access.addCollector(c[2], &error);
        if (!code || !access.audit(0, Audit::kCollectorAdded, c[2].trimmed(), {}, &error))
            return fail(error);
        say(QStringLiteral("“%1”的登录代码（只显示这一次，请记下）：%2").arg(c[2].trimmed(), QString::fromLatin1(*code)));
        return 0;
    }
    if (c.size() == 2 && c[1] == "list") {
        const QList<Collector> list = access.collectors(&error);
        if (!error.isEmpty())
            return fail(error);
        say(QStringLiteral("名称\t建立时间\t状态"));
        for (const Collector &u : list)
            say(QStringLiteral("%1\t%2\t%3")
                    .arg(u.name, u.created.toLocalTime().toString("yyyy-MM-dd HH:mm"),
                         u.revoked ? QStringLiteral("已停用") : QStringLiteral("有效")));
        return 0;
    }
    if (c.size() == 3 && c[1] == "revoke") {
        if (!access.revokeCollector(c[2], &error) || !access.audit(0, Audit::kCollectorRevoked, c[2], {}, &error))
            return fail(error);
        say(QStringLiteral("已停用，其登录已全部结束。"));
        return 0;
    }
    return fail(QStringLiteral("命令不对。\n") + Options::usage());
}

// The first collector, made at the first start: its code, or nothing when
// there are collectors already.
std::optional<QByteArray> firstCollector(Store &store, QString *error)
{
    Access access(store);
    if (access.anyCollector(error) || !error->isEmpty())
        return std::nullopt;
    const QString name = QStringLiteral("调查办公室");
    std::optional<QByteArray> code = access.addCollector(name, error);
    if (code && !access.audit(0, Audit::kCollectorAdded, name, {}, error))
        return std::nullopt;
    return code;
}

// Every route of the collectors' side, gathered from the rooms that answer them.
QList<CollectorRoute> collectorRoutes(const CollectorContext &context)
{
    return reviewRoutes(context) + officeRoutes(context) + downloadRoutes(context);
}

// Serves until SIGINT or SIGTERM; every answer due goes out before it ends.
int serve(Store &store, const Database &database, const Options &o)
{
    QString error;
    std::optional<QByteArray> first;
    if (!store.anyCode(&error)) {
        if (!error.isEmpty() || !(first = store.addCode(QStringLiteral("全部企业"), &error)))
            return fail(error);
    }
    const std::optional<QByteArray> collector = firstCollector(store, &error);
    if (!error.isEmpty())
        return fail(error);
    Committer committer(database, o.limits.batch);
    if (!committer.start(&error))
        return fail(error);
    Service service(database, o.limits, committer, collectorRoutes({database, o.data}));
    HttpServer http(o.limits, {[&](Request &r) { return service.head(r); },
                               [&](Request r, HttpServer::Reply reply) { service.handle(std::move(r), reply); }});
    if (!http.start(o.host, o.port, &error))
        return fail(error);
    say(QStringLiteral("数据：%1").arg(database.describe()));
    if (first)
        say(QStringLiteral("上传页面（请把这个链接发给各企业；代码只显示这一次）：%1").arg(pageAddress(o, http.port(), QString::fromLatin1(*first))));
    else
        say(QStringLiteral("上传页面：%1（代码在第一次启动时显示；新代码：csr-serve codes add 名称）")
                .arg(pageAddress(o, http.port(), QStringLiteral("<上传代码>"))));
    const QString desk = address(o, http.port(), QLatin1String(Routes::kCollect));
    if (collector)
        say(QStringLiteral("汇总页面：%1（“调查办公室”的登录代码，只显示这一次：%2；更多采集人员：csr-serve collectors add 名称）")
                .arg(desk, QString::fromLatin1(*collector)));
    else
        say(QStringLiteral("汇总页面：%1").arg(desk));
    say(QStringLiteral("正在监听 http://%1:%2").arg(QString::fromLatin1(o.host)).arg(http.port()));
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    int signal = 0;
    sigwait(&stopping, &signal);
    http.quiesce();
    committer.stop();
    http.stop();
    say(QStringLiteral("已停止。"));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Every thread started from here on leaves the stopping signals to sigwait.
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGINT);
    sigaddset(&stopping, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    // The report's PDF is laid out in its fonts, which want a GUI application; no display is needed.
    Headless::prepare();
    QGuiApplication app(argc, argv);
    const Options o = Options::parse(app.arguments());
    if (o.help) {
        say(Options::usage());
        return 0;
    }
    if (!o.error.isEmpty())
        return fail(o.error + '\n' + Options::usage());
    if (!o.command.isEmpty() && o.command.first() != "codes" && o.command.first() != "collectors")
        return fail(QStringLiteral("命令不对。\n") + Options::usage());
    if (!QDir().mkpath(o.data) || !QFile::setPermissions(o.data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return fail(QStringLiteral("无法建立数据目录 %1").arg(o.data));
    QString error;
    const std::optional<Database> database = Database::parse(o.database, o.data, &error);
    if (!database)
        return fail(error);
    std::unique_ptr<Store> store = Store::open(*database, &error);
    if (!store || !store->migrate(&error))
        return fail(error);
    if (o.command.isEmpty())
        return serve(*store, *database, o);
    return o.command.first() == "codes" ? codes(*store, o) : collectors(*store, o);
}
