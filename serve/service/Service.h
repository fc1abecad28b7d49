// The routes: each reads the request, calls one function of the store, the
// verdict or the pages, and writes its answer. Every refusal has its status
// and a sentence in Chinese.
#pragma once

#include "serve/http/HttpServer.h"
#include "serve/http/RateLimit.h"
#include "serve/service/CollectorDesk.h"
#include "serve/store/Committer.h"

namespace Serve {

class Service {
public:
    // collectorRoutes: every route of the collectors' side behind the session's gate.
    Service(Database database, Limits limits, Committer &committer, QList<CollectorRoute> collectorRoutes);

    // For HttpServer::Handler.
    std::optional<Response> head(Request &request);
    void handle(Request request, HttpServer::Reply reply);

private:
    // This thread's own connection, opened when first needed.
    Store *store();
    // The code's row; failed when the database could not be asked.
    std::optional<UploadCode> lookUp(const QByteArray &code, bool &failed);
    std::optional<Response> checkUpload(Request &request);
    Response uploadPage(const QByteArray &code);
    Response receipt(const Request &request, qint64 id);

    Database database_;
    Limits limits_;
    Committer &committer_;
    CollectorDesk desk_;
    RateLimit perAddress_;
    RateLimit perCode_;
};

} // namespace Serve
