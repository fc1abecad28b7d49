#include "serve/service/Options.h"

#include <QDir>
#include <QStandardPaths>

namespace Serve {

namespace {

bool readNumber(const QString &text, double &value)
{
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && value >= 0;
}

// "HOST:PORT" (or ":PORT", or "PORT") into the options.
bool readListen(const QString &text, Options &o)
{
    const qsizetype colon = text.lastIndexOf(':');
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        return false;
    o.port = quint16(port);
    if (colon > 0)
        o.host = text.left(colon).toLatin1();
    return true;
}

// One option with its value; false when it is not one of them or its value is wrong.
bool readOption(const QString &name, const QString &value, Options &o)
{
    double n = 0;
    if (name == "--data")
        o.data = value;
    else if (name == "--database")
        o.database = value;
    else if (name == "--listen")
        return readListen(value, o);
    else if (name == "--trusted-proxy")
        o.limits.trustedProxy = value.toLatin1();
    else if (!readNumber(value, n))
        return false;
    else if (name == "--threads" && n >= 1)
        o.limits.threads = unsigned(n);
    else if (name == "--connections-per-address" && n >= 1)
        o.limits.connectionsPerAddress = unsigned(n);
    else if (name == "--rate-per-address")
        o.limits.perAddressPerMinute = n;
    else if (name == "--rate-per-code")
        o.limits.perCodePerMinute = n;
    else if (name == "--request-seconds" && n >= 1)
        o.limits.requestSeconds = int(n);
    else
        return false;
    return true;
}

} // namespace

Options Options::parse(const QStringList &arguments)
{
    Options o;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a.startsWith("--")) {
            const qsizetype equals = a.indexOf('=');
            const QString name = equals > 0 ? a.left(equals) : a;
            QString value;
            if (equals > 0)
                value = a.mid(equals + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            if (!readOption(name, value, o))
                o.error = QStringLiteral("选项 %1 不认识，或它的值不对：%2").arg(name, value);
        } else {
            o.command.append(a);
        }
    }
    if (o.data.isEmpty())
        o.data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/csr-serve");
    o.data = QDir(o.data).absolutePath();
    return o;
}

QString Options::usage()
{
    return QStringLiteral(
        "用法：csr-serve [选项]                 接收填报结果文件\n"
        "      csr-serve codes add 名称         新建上传代码（只显示这一次）\n"
        "      csr-serve codes list             列出上传代码及各自收到的文件数\n"
        "      csr-serve codes revoke 代码      停用上传代码\n"
        "      csr-serve collectors add 名称    新建采集人员及其登录代码（只显示这一次）\n"
        "      csr-serve collectors list        列出采集人员\n"
        "      csr-serve collectors revoke 名称 停用采集人员，结束其登录\n"
        "选项：\n"
        "  --data 目录                  数据目录（默认 ~/.local/share/csr-serve）\n"
        "  --database postgresql://用户:密码@主机:端口/数据库   用 PostgreSQL 代替数据目录中的 SQLite\n"
        "  --listen 地址:端口           监听地址（默认 127.0.0.1:8080；0.0.0.0:8080 向局域网开放）\n"
        "  --threads N                  HTTP 线程数（默认 4）\n"
        "  --connections-per-address N  每个地址同时连接数上限（默认 100；在代理之后请调高）\n"
        "  --rate-per-address N         每个地址每分钟上传次数上限（默认 600，0 为不限）\n"
        "  --rate-per-code N            每个上传代码每分钟上传次数上限（默认 6000，0 为不限）\n"
        "  --request-seconds N          一次请求最长秒数（默认 120）\n"
        "  --trusted-proxy 地址         来自这个代理（如 127.0.0.1 上的 nginx）的请求按 X-Real-IP 计频率\n");
}

} // namespace Serve
