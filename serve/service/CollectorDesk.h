// The collectors' side of the server, under /collect: signing in and out,
// and every route of theirs behind one gate: a session's cookie, and for a
// request that changes something its token and the page's own origin.
#pragma once

#include "serve/access/Access.h"
#include "serve/http/HttpServer.h"
#include "serve/http/RateLimit.h"

#include <functional>

namespace Serve {

struct CollectorCall {
    const Request &request;
    const CollectorSession &session;
    Store &store;
};

using CollectorHandler = std::function<Response(const CollectorCall &)>;

// What the rooms that answer need: the database (each worker opens its own
// connection) and the data folder (for the files they make).
struct CollectorContext {
    Database database;
    QString dataFolder;
};

struct CollectorRoute {
    QByteArray method; // "GET" (HEAD too) or "POST"
    QByteArray path;   // the whole path, or its start when prefix is set
    bool prefix = false;
    CollectorHandler handler;
};

class CollectorDesk {
public:
    // The largest body a collector sends (a note, a selection).
    static constexpr qint64 kMaxBody = 1 << 20;

    CollectorDesk(Database database, Limits limits, QList<CollectorRoute> routes);

    static bool owns(const QByteArray &path);
    // Before the body: an answer when none needs it (a GET, a body too large).
    std::optional<Response> head(const Request &request);
    Response handle(const Request &request);

private:
    Response signIn(const Request &request, Store &store);
    std::optional<Response> refusedChange(const Request &request, const CollectorSession *session) const;
    bool secure(const Request &request) const;
    QByteArray cookie(const QByteArray &token, bool ending, const Request &request) const;

    Database database_;
    Limits limits_;
    QList<CollectorRoute> routes_;
    RateLimit signIns_;
};

} // namespace Serve
