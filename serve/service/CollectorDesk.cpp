#include "serve/service/CollectorDesk.h"

#include "serve/pages/Pages.h"
#include "serve/service/Answers.h"
#include "serve/service/Routes.h"
#include "serve/store/ThreadStore.h"

#include <QJsonDocument>

namespace Serve {

using namespace Answers;

namespace {

// The value of one cookie of the request; empty when it has none.
QByteArray cookieValue(const Request &request, const QByteArray &name)
{
    for (const QByteArray &part : request.header("cookie").split(';')) {
        const QByteArray pair = part.trimmed();
        if (pair.startsWith(name + '='))
            return pair.mid(name.size() + 1);
    }
    return {};
}

bool reads(const Request &request)
{
    return request.method == "GET" || request.method == "HEAD";
}

Response signedOut()
{
    return refusal(401, QStringLiteral("请先登录（或登录已过期，请重新登录）。"));
}

} // namespace

CollectorDesk::CollectorDesk(Database database, Limits limits, QList<CollectorRoute> routes)
    : database_(std::move(database)), limits_(std::move(limits)), routes_(std::move(routes)), signIns_(30)
{
}

bool CollectorDesk::owns(const QByteArray &path)
{
    return path == Routes::kCollect || path.startsWith(QByteArray(Routes::kCollect) + '/');
}

std::optional<Response> CollectorDesk::head(const Request &request)
{
    if (request.contentLength > kMaxBody) {
        Response r = refusal(413, QStringLiteral("请求太大。"));
        r.beforeBody = true;
        return r;
    }
    if (reads(request))
        return handle(request);
    if (request.method != "POST")
        return refusal(405, QStringLiteral("此地址不接受这种请求。"));
    return std::nullopt;
}

// Over HTTPS only behind the trusted proxy, which says so.
bool CollectorDesk::secure(const Request &request) const
{
    return !limits_.trustedProxy.isEmpty() && request.address == limits_.trustedProxy &&
           request.header("x-forwarded-proto") == "https";
}

QByteArray CollectorDesk::cookie(const QByteArray &token, bool ending, const Request &request) const
{
    QByteArray c = QByteArray(Routes::kSessionCookie) + '=' + token + "; Path=/collect; HttpOnly; SameSite=Strict";
    if (ending)
        c += "; Max-Age=0";
    if (secure(request))
        c += "; Secure";
    return c;
}

// A change comes from the page itself: its origin, if the browser names one,
// is this server's; and, once signed in, it carries the session's token.
std::optional<Response> CollectorDesk::refusedChange(const Request &request, const CollectorSession *session) const
{
    const QByteArray origin = request.header("origin");
    const QByteArray own = QByteArray(secure(request) ? "https://" : "http://") + request.header("host");
    const QByteArray site = request.header("sec-fetch-site");
    if ((!origin.isEmpty() && origin != own) || (site == "cross-site" || site == "same-site"))
        return refusal(403, QStringLiteral("请求来自别的网站，已拒绝。"));
    if (session && (session->csrf.isEmpty() || request.header(Routes::kCsrfHeader) != session->csrf))
        return refusal(403, QStringLiteral("请求缺少有效的页面令牌，已拒绝。请刷新页面后再试。"));
    return std::nullopt;
}

Response CollectorDesk::signIn(const Request &request, Store &store)
{
    if (const auto refused = refusedChange(request, nullptr))
        return *refused;
    if (const int wait = signIns_.take(request.address))
        return refusal(429, QStringLiteral("登录尝试过于频繁，请 %1 秒后再试。").arg(wait));
    const QByteArray code = QJsonDocument::fromJson(request.body).object().value("code").toString().trimmed().toLatin1();
    QString error;
    const auto opened = Access(store).signIn(code, &error);
    if (!error.isEmpty()) {
        dropThreadStore();
        return unavailable();
    }
    if (!opened)
        return refusal(403, QStringLiteral("登录代码不对，或已停用。"));
    Response r = json(200, QJsonObject{{"name", opened->second.name},
                                       {"csrf", QString::fromLatin1(opened->second.csrf)}});
    r.headers.emplaceBack("Set-Cookie", cookie(opened->first, false, request));
    return r;
}

Response CollectorDesk::handle(const Request &request)
{
    if ((request.path == Routes::kCollect || request.path == QByteArray(Routes::kCollect) + '/') && reads(request))
        return page(200, Pages::collectPage());
    Store *store = threadStore(database_);
    if (!store)
        return unavailable();
    if (request.path == Routes::kSignIn && request.method == "POST")
        return signIn(request, *store);
    QString error;
    Access access(*store);
    const std::optional<CollectorSession> session = access.session(cookieValue(request, Routes::kSessionCookie), &error);
    if (!error.isEmpty()) {
        dropThreadStore();
        return unavailable();
    }
    if (!session)
        return signedOut();
    if (!reads(request))
        if (const auto refused = refusedChange(request, &*session))
            return *refused;
    if (request.path == Routes::kMe)
        return json(200, QJsonObject{{"name", session->name}, {"csrf", QString::fromLatin1(session->csrf)}});
    if (request.path == Routes::kSignOut && request.method == "POST") {
        if (!access.signOut(session->id, &error) || !access.audit(session->collectorId, Audit::kSignOut, session->name, {}, &error))
            return unavailable();
        Response r = json(200, QJsonObject{{"signedOut", true}});
        r.headers.emplaceBack("Set-Cookie", cookie("", true, request));
        return r;
    }
    const QByteArray method = reads(request) ? QByteArray("GET") : request.method;
    for (const CollectorRoute &route : routes_)
        if (route.method == method && (route.prefix ? request.path.startsWith(route.path) : request.path == route.path))
            return route.handler({request, *session, *store});
    return refusal(404, QStringLiteral("没有这个地址。"));
}

} // namespace Serve
