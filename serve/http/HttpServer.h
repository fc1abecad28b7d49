// The HTTP layer over libmicrohttpd: its thread pool reads requests; a
// request is looked at from its headers first (so that a body too large or
// an unknown code is refused before it is read), then handled whole. The
// answer may come later from another thread: the connection waits suspended,
// holding no thread.
#pragma once

#include "serve/http/Limits.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <optional>

struct MHD_Daemon;


namespace Serve {

struct Request {
    QByteArray method;
    QByteArray path; // without the query
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QHash<QByteArray, QByteArray> query;   // the query's arguments, decoded
    QByteArray address; // the peer's, as text
    QByteArray body;
    qint64 contentLength = -1; // -1 when not given
    qint64 tag = 0;            // what the look at the headers found, for the handler

    QByteArray header(const QByteArray &lowerName) const { return headers.value(lowerName); }
    QString argument(const QByteArray &name) const { return QString::fromUtf8(query.value(name)); }
};

struct Response {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
    // Sent before the body is read, which is then never read (the connection
    // closes): for a body too large only. Other answers from the head wait
    // for the body, read and dropped, so that a proxy still sending it does
    // not lose the answer.
    bool beforeBody = false;
    // When set, the body is this file's content, read as it is sent (a large
    // download is never held in memory). The file may be removed once queued.
    QString file{};
};

class HttpServer {
public:
    using Reply = std::function<void(Response)>;
    struct Handler {
        // Before the body: an answer here refuses the request (see Response::beforeBody).
        std::function<std::optional<Response>(Request &)> head;
        // The whole request; reply is called once, on any thread.
        std::function<void(Request, Reply)> handle;
    };

    HttpServer(Limits limits, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // host is an IPv4 address; port 0 takes a free one.
    bool start(const QByteArray &host, quint16 port, QString *error);
    quint16 port() const;
    // Takes no new connection (the answers still due go out).
    void quiesce();
    void stop();

private:
    friend struct Callbacks;

    Limits limits_;
    Handler handler_;
    MHD_Daemon *daemon_ = nullptr;
};

} // namespace Serve
