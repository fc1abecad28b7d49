#include "serve/service/Service.h"

#include "serve/pages/Pages.h"
#include "serve/service/Answers.h"
#include "serve/service/Routes.h"
#include "serve/store/ThreadStore.h"
#include "serve/verdict/Verdict.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace Serve {

using namespace Answers;

namespace {

// The code of "Authorization: Bearer <code>"; empty when there is none.
QByteArray bearer(const Request &request)
{
    const QByteArray value = request.header("authorization").trimmed();
    if (!value.toLower().startsWith("bearer "))
        return {};
    return value.mid(7).trimmed();
}

// A receipt's number from its path, 0 when the path is not one.
qint64 receiptNumber(const QByteArray &path)
{
    const QByteArray prefix = QByteArray(Routes::kSubmissions) + '/';
    if (!path.startsWith(prefix))
        return 0;
    bool ok = false;
    const qint64 id = path.mid(prefix.size()).toLongLong(&ok);
    return ok && id > 0 ? id : 0;
}

Response tooMany(int seconds)
{
    Response r = refusal(429, QStringLiteral("上传过于频繁，请 %1 秒后再试。").arg(seconds));
    r.headers.emplaceBack("Retry-After", QByteArray::number(seconds));
    return r;
}

} // namespace

Service::Service(Database database, Limits limits, Committer &committer, QList<CollectorRoute> collectorRoutes)
    : database_(database), limits_(limits), committer_(committer),
      desk_(database, limits, std::move(collectorRoutes)), perAddress_(limits.perAddressPerMinute), perCode_(limits.perCodePerMinute)
{
}

Store *Service::store()
{
    return threadStore(database_);
}

std::optional<UploadCode> Service::lookUp(const QByteArray &code, bool &failed)
{
    Store *s = store();
    QString error;
    const std::optional<UploadCode> found = s ? s->code(code, &error) : std::nullopt;
    failed = !s || !error.isEmpty();
    if (failed)
        dropThreadStore(); // the connection may be what failed: the next request opens a new one
    return found;
}

std::optional<Response> Service::head(Request &request)
{
    const QByteArray &path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    if (CollectorDesk::owns(path))
        return desk_.head(request);
    if (path == Routes::kSubmissions) {
        if (request.method != "POST") {
            Response r = refusal(405, QStringLiteral("此地址只接受 POST 上传。"));
            r.headers.emplaceBack("Allow", "POST");
            return r;
        }
        return checkUpload(request);
    }
    if (const qint64 id = receiptNumber(path))
        return get ? receipt(request, id) : refusal(405, QStringLiteral("回执只能读取。"));
    if (path.startsWith(Routes::kUploadPage) && get)
        return uploadPage(path.mid(qsizetype(sizeof Routes::kUploadPage) - 1));
    if (path.startsWith(Routes::kStatic) && get)
        if (const auto asset = Pages::asset(path.mid(qsizetype(sizeof Routes::kStatic) - 1)))
            return secured({200, asset->contentType, asset->body, {}});
    return refusal(404, QStringLiteral("没有这个地址。上传请打开调查办公室发来的链接。"));
}

// Before the body is read: its length, the code, the rates.
std::optional<Response> Service::checkUpload(Request &request)
{
    if (request.contentLength > limits_.maxBody) {
        Response r = refusal(413, QStringLiteral("文件太大：超过 %1 MiB，不是填报结果文件。").arg(limits_.maxBody >> 20));
        r.beforeBody = true;
        return r;
    }
    const QByteArray code = bearer(request);
    if (code.isEmpty()) {
        Response r = refusal(401, QStringLiteral("缺少上传代码。请打开调查办公室发来的链接上传。"));
        r.headers.emplaceBack("WWW-Authenticate", "Bearer");
        return r;
    }
    // Behind a proxy every request comes from it: the client is who it says.
    const QByteArray forwarded = request.header("x-real-ip");
    const bool proxied = !limits_.trustedProxy.isEmpty() && request.address == limits_.trustedProxy;
    if (const int wait = perAddress_.take(proxied && !forwarded.isEmpty() ? forwarded : request.address))
        return tooMany(wait);
    bool failed = false;
    const std::optional<UploadCode> found = lookUp(code, failed);
    if (failed)
        return unavailable();
    if (!found)
        return refusal(403, QStringLiteral("上传代码无效。请核对链接。"));
    if (found->revoked)
        return refusal(403, QStringLiteral("这个上传代码已停用。请向调查办公室索取新的链接。"));
    if (const int wait = perCode_.take(QByteArray::number(found->id)))
        return tooMany(wait);
    request.tag = found->id;
    return std::nullopt;
}

Response Service::uploadPage(const QByteArray &code)
{
    bool failed = false;
    const std::optional<UploadCode> found = lookUp(code, failed);
    if (failed)
        return unavailable();
    if (!found)
        return page(404, Pages::uploadPage(Pages::State::Unknown));
    if (found->revoked)
        return page(403, Pages::uploadPage(Pages::State::Revoked));
    return page(200, Pages::uploadPage(Pages::State::Open));
}

// A receipt again, to the code that sent the file only.
Response Service::receipt(const Request &request, qint64 id)
{
    bool failed = false;
    const std::optional<UploadCode> code = lookUp(bearer(request), failed);
    if (failed)
        return unavailable();
    if (!code || code->revoked)
        return refusal(code ? 403 : 401, QStringLiteral("上传代码无效或已停用。"));
    QString error;
    const std::optional<Submission> kept = store()->submission(id, &error);
    if (!error.isEmpty()) {
        dropThreadStore();
        return unavailable();
    }
    if (!kept || kept->codeId != code->id)
        return refusal(404, QStringLiteral("没有这个回执。"));
    return json(200, Verdict::answer(*kept));
}

void Service::handle(Request request, HttpServer::Reply reply)
{
    if (CollectorDesk::owns(request.path)) {
        reply(desk_.handle(request));
        return;
    }
    const QString name = QUrl::fromPercentEncoding(request.header(Routes::kFileNameHeader));
    Submission submission = Verdict::judge(request.body, name, QDateTime::currentDateTimeUtc());
    submission.codeId = request.tag;
    request.body.clear();
    committer_.submit(std::move(submission), [reply](bool committed, const Submission &kept, bool isNew) {
        if (!committed) {
            Response r = refusal(503, QStringLiteral("服务器暂时无法保存文件，这次上传未收到。请稍后重新上传。"));
            r.headers.emplaceBack("Retry-After", "30");
            reply(r);
            return;
        }
        QJsonObject body = Verdict::answer(kept);
        body.insert("repeated", !isNew);
        Response r = json(!isNew ? 200 : kept.accepted ? 201 : 422, body);
        if (isNew)
            r.headers.emplaceBack("Location", QByteArray(Routes::kSubmissions) + '/' + QByteArray::number(kept.id));
        reply(r);
    });
}

} // namespace Serve
