#include "serve/service/Answers.h"

#include "serve/pages/Pages.h"

#include <QJsonDocument>

namespace Serve::Answers {

Response secured(Response r)
{
    r.headers.emplaceBack("Content-Security-Policy", Pages::securityPolicy());
    r.headers.emplaceBack("X-Content-Type-Options", "nosniff");
    r.headers.emplaceBack("Referrer-Policy", "no-referrer");
    r.headers.emplaceBack("X-Frame-Options", "DENY");
    r.headers.emplaceBack("Cache-Control", "no-store");
    return r;
}

Response json(int status, const QJsonObject &body)
{
    return secured({status, "application/json; charset=utf-8", QJsonDocument(body).toJson(QJsonDocument::Compact), {}});
}

Response refusal(int status, const QString &sentence)
{
    return json(status, QJsonObject{{"error", sentence}});
}

Response page(int status, const QByteArray &html)
{
    return secured({status, "text/html; charset=utf-8", html, {}});
}

Response unavailable()
{
    return refusal(503, QStringLiteral("服务器暂时无法读取数据库，请稍后再试。"));
}

} // namespace Serve::Answers
