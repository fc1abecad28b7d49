// libmicrohttpd calls access() for a request first with its headers, then
// with each piece of its body, then once with none; and again after a
// suspended connection is resumed. A response may be queued only from the
// connection's own thread: an answer from elsewhere is left in the exchange
// and the connection resumed to queue it.
#include "serve/http/HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>

#include <cstring>
#include <mutex>

namespace Serve {

namespace {

struct Exchange {
    Request request;
    QElapsedTimer since;
    MHD_Connection *connection = nullptr;
    std::mutex mutex;
    std::optional<Response> answer; // set once by the reply, or by the look at the head
    bool refused = false;           // by the look at the head: the body is dropped
    qint64 received = 0;            // bytes of the body so far
    bool handed = false;            // handle() was called
    bool suspended = false;
};

MHD_Result collectHeader(void *cls, MHD_ValueKind, const char *key, const char *value)
{
    auto *request = static_cast<Request *>(cls);
    request->headers.insert(QByteArray(key).toLower(), QByteArray(value ? value : ""));
    return MHD_YES;
}

// The query's arguments, decoded (UTF-8 bytes).
MHD_Result collectArgument(void *cls, MHD_ValueKind, const char *key, const char *value)
{
    auto *request = static_cast<Request *>(cls);
    request->query.insert(QByteArray(key), QByteArray(value ? value : ""));
    return MHD_YES;
}

QByteArray peerAddress(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    const sockaddr *address = info->client_addr;
    if (address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text, sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text, sizeof text);
    return QByteArray(text);
}

// A file's answer reads from its descriptor, which the response then owns.
MHD_Response *fileResponse(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat about {};
    if (fd < 0)
        return nullptr;
    if (::fstat(fd, &about) != 0 || !S_ISREG(about.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    MHD_Response *response = MHD_create_response_from_fd64(uint64_t(about.st_size), fd);
    if (!response)
        ::close(fd);
    return response;
}

MHD_Result queue(MHD_Connection *connection, const Response &given)
{
    MHD_Response *response = given.file.isEmpty() ? nullptr : fileResponse(given.file);
    // A file gone before it could be sent is said so, not sent empty.
    static const Response gone{500, "text/plain; charset=utf-8", QStringLiteral("文件已不在服务器上，请重新下载。\n").toUtf8(), {}};
    const Response &answer = given.file.isEmpty() || response ? given : gone;
    if (!response)
        response = MHD_create_response_from_buffer(size_t(answer.body.size()), const_cast<char *>(answer.body.constData()),
                                                   MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    if (!answer.contentType.isEmpty())
        MHD_add_response_header(response, "Content-Type", answer.contentType.constData());
    for (const auto &[name, value] : answer.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    const MHD_Result queued = MHD_queue_response(connection, unsigned(answer.status), response);
    MHD_destroy_response(response);
    return queued;
}

} // namespace

struct Callbacks {
    static MHD_Result access(void *cls, MHD_Connection *connection, const char *url, const char *method,
                             const char *, const char *data, size_t *size, void **context)
    {
        auto *server = static_cast<HttpServer *>(cls);
        auto *exchange = static_cast<Exchange *>(*context);
        if (!exchange)
            return begin(*server, connection, url, method, context);
        if (*size > 0)
            return receive(*server, *exchange, data, size);
        return finish(*server, *exchange);
    }

    static void completed(void *, MHD_Connection *, void **context, MHD_RequestTerminationCode)
    {
        delete static_cast<Exchange *>(*context);
        *context = nullptr;
    }

    static MHD_Result begin(HttpServer &server, MHD_Connection *connection, const char *url, const char *method,
                            void **context)
    {
        auto exchange = std::make_unique<Exchange>();
        exchange->since.start();
        exchange->connection = connection;
        Request &request = exchange->request;
        request.method = method;
        request.path = url;
        request.address = peerAddress(connection);
        MHD_get_connection_values(connection, MHD_HEADER_KIND, collectHeader, &request);
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, collectArgument, &request);
        bool lengthRead = false;
        const QByteArray length = request.header("content-length");
        if (!length.isEmpty())
            request.contentLength = length.toLongLong(&lengthRead);
        if (!length.isEmpty() && (!lengthRead || request.contentLength < 0))
            return MHD_NO;
        std::optional<Response> refusal = server.handler_.head(request);
        if (refusal && refusal->beforeBody) {
            *context = exchange.release();
            return queue(connection, *refusal);
        }
        exchange->refused = refusal.has_value();
        exchange->answer = std::move(refusal);
        *context = exchange.release();
        return MHD_YES;
    }

    static MHD_Result receive(HttpServer &server, Exchange &exchange, const char *data, size_t *size)
    {
        // A body without a length (chunked) is cut at the limit, as one sent too slowly is.
        exchange.received += qint64(*size);
        if (exchange.received > server.limits_.maxBody ||
            exchange.since.elapsed() > qint64(server.limits_.requestSeconds) * 1000)
            return MHD_NO;
        Request &request = exchange.request;
        if (!exchange.refused) {
            if (request.body.isEmpty() && request.contentLength > 0)
                request.body.reserve(request.contentLength);
            request.body.append(data, qsizetype(*size));
        }
        *size = 0;
        return MHD_YES;
    }

    static MHD_Result finish(HttpServer &server, Exchange &exchange)
    {
        std::unique_lock lock(exchange.mutex);
        if (!exchange.handed && !exchange.refused) {
            exchange.handed = true;
            lock.unlock();
            Exchange *target = &exchange;
            server.handler_.handle(std::move(exchange.request), [target](Response answer) {
                std::lock_guard guard(target->mutex);
                target->answer = std::move(answer);
                if (target->suspended) {
                    target->suspended = false;
                    MHD_resume_connection(target->connection);
                }
            });
            lock.lock();
            if (!exchange.answer) {
                exchange.suspended = true;
                MHD_suspend_connection(exchange.connection);
                return MHD_YES;
            }
        }
        if (!exchange.answer)
            return MHD_YES; // resumed without an answer: not done here
        const Response answer = std::move(*exchange.answer);
        exchange.answer.reset();
        lock.unlock();
        return queue(exchange.connection, answer);
    }
};

HttpServer::HttpServer(Limits limits, Handler handler) : limits_(limits), handler_(std::move(handler)) {}

HttpServer::~HttpServer()
{
    stop();
}

bool HttpServer::start(const QByteArray &host, quint16 port, QString *error)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.constData(), &address.sin_addr) != 1) {
        *error = QStringLiteral("监听地址无效：%1").arg(QString::fromUtf8(host));
        return false;
    }
    // poll(), not epoll: with a thread pool on epoll, libmicrohttpd 0.9.75
    // can abort in MHD_quiesce_daemon ("Failed to remove listen FD from epoll
    // set") when a worker has just taken its listening socket out of its set.
    // The inter-thread channel lets quiescing wake every worker.
    const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_POLL | MHD_USE_ITC | MHD_ALLOW_SUSPEND_RESUME |
                           MHD_USE_ERROR_LOG;
    daemon_ = MHD_start_daemon(
        flags, port, nullptr, nullptr, &Callbacks::access, this, MHD_OPTION_SOCK_ADDR, &address,
        MHD_OPTION_THREAD_POOL_SIZE, limits_.threads, MHD_OPTION_CONNECTION_LIMIT, limits_.connections,
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, limits_.connectionsPerAddress, MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        limits_.connectionMemory, MHD_OPTION_CONNECTION_TIMEOUT, limits_.idleSeconds, MHD_OPTION_NOTIFY_COMPLETED,
        &Callbacks::completed, this, MHD_OPTION_LISTENING_ADDRESS_REUSE, 1u, MHD_OPTION_END);
    if (!daemon_) {
        *error = QStringLiteral("无法在 %1:%2 上监听（地址已被占用，或没有权限）").arg(QString::fromUtf8(host)).arg(port);
        return false;
    }
    return true;
}

quint16 HttpServer::port() const
{
    const MHD_DaemonInfo *info = daemon_ ? MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT) : nullptr;
    return info ? info->port : 0;
}

void HttpServer::quiesce()
{
    if (!daemon_)
        return;
    const MHD_socket listening = MHD_quiesce_daemon(daemon_);
    if (listening != MHD_INVALID_SOCKET)
        ::close(listening);
}

void HttpServer::stop()
{
    if (daemon_)
        MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
}

} // namespace Serve
