#include "serve/review/ReviewRoutes.h"

#include "serve/review/OneSubmission.h"
#include "serve/review/Overview.h"
#include "serve/review/Review.h"
#include "serve/review/States.h"
#include "serve/review/SubmissionList.h"
#include "serve/service/Answers.h"
#include "serve/service/Routes.h"
#include "serve/store/ThreadStore.h"
#include "survey/DataChecks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QUrl>

namespace Serve {

using namespace Answers;

namespace {

Response failed()
{
    dropThreadStore(); // the connection may be what failed
    return unavailable();
}

qint64 idArgument(const Request &request, const QByteArray &name)
{
    bool ok = false;
    const qint64 id = request.argument(name).toLongLong(&ok);
    return ok && id > 0 ? id : 0;
}

Response noSuchSubmission()
{
    return refusal(404, QStringLiteral("没有这份提交。"));
}

Response answered(const Review::Outcome &o)
{
    if (!o.error.isEmpty())
        return failed();
    return o.status == 200 ? json(200, o.answer) : refusal(o.status, o.refusal);
}

std::optional<QJsonObject> bodyOf(const Request &request)
{
    QJsonParseError parsed;
    const QJsonDocument document = QJsonDocument::fromJson(request.body, &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

Response badBody()
{
    return refusal(400, QStringLiteral("请求的内容不对。"));
}

Response list(const CollectorCall &call)
{
    QString refused, error;
    const auto filter = SubmissionList::filterOf(call.request, &refused);
    if (!filter)
        return refusal(400, refused);
    const auto page = SubmissionList::page(call.store, *filter, &error);
    return page ? json(200, *page) : failed();
}

Response one(const CollectorCall &call)
{
    QString error;
    const qint64 id = idArgument(call.request, "id");
    const auto found = id ? OneSubmission::of(call.store, id, &error) : std::nullopt;
    if (!error.isEmpty())
        return failed();
    return found ? json(200, *found) : noSuchSubmission();
}

Response changes(const CollectorCall &call)
{
    QString error;
    const qint64 to = idArgument(call.request, "id"), from = idArgument(call.request, "from");
    const auto found = to && from ? OneSubmission::changes(call.store, from, to, &error) : std::nullopt;
    if (!error.isEmpty())
        return failed();
    return found ? json(200, *found) : noSuchSubmission();
}

// The file byte for byte, under its received name.
Response original(const CollectorCall &call)
{
    QString error;
    const qint64 id = idArgument(call.request, "id");
    const auto s = id ? call.store.submission(id, &error) : std::nullopt;
    if (!error.isEmpty())
        return failed();
    if (!s)
        return noSuchSubmission();
    if (!Access(call.store).audit(call.session.collectorId, Audit::kDownload, QStringLiteral("#%1").arg(id),
                                  s->fileName, &error))
        return failed();
    Response r = secured({200, "application/octet-stream", s->bytes, {}});
    r.headers.emplaceBack("Content-Disposition", "attachment; filename=\"submission-" + QByteArray::number(id) +
                                                     ".dbf\"; filename*=UTF-8''" + QUrl::toPercentEncoding(s->fileName));
    return r;
}

Response overview(const CollectorCall &call)
{
    QString error;
    const auto o = Overview::of(call.store, &error);
    return o ? json(200, *o) : failed();
}

Response chart(const CollectorCall &call)
{
    QString error;
    const auto svg = Overview::chart(call.store, &error);
    return svg ? secured({200, "image/svg+xml; charset=utf-8", *svg, {}}) : failed();
}

// What the filters offer: the upload codes, the checks, the states.
Response choices(const CollectorCall &call)
{
    QString error;
    const QList<UploadCode> codes = call.store.codes(&error);
    if (!error.isEmpty())
        return failed();
    QJsonArray codeList, checkList;
    for (const UploadCode &c : codes)
        codeList.append(QJsonObject{{"id", c.id}, {"name", c.name}});
    for (const DataChecks::Check &c : DataChecks::all())
        checkList.append(QJsonObject{{"id", c.id.toString()}, {"title", c.title.toString()}});
    return json(200, QJsonObject{{"codes", codeList}, {"checks", checkList}, {"states", States::all()}});
}

Response review(const CollectorCall &call)
{
    const auto body = bodyOf(call.request);
    return body ? answered(Review::setState(call.store, call.session, *body)) : badBody();
}

Response finding(const CollectorCall &call)
{
    const auto body = bodyOf(call.request);
    return body ? answered(Review::markFinding(call.store, call.session, *body)) : badBody();
}

} // namespace

QList<CollectorRoute> reviewRoutes(const CollectorContext &)
{
    return {
        {"GET", Routes::kOverview, false, overview},
        {"GET", Routes::kChart, false, chart},
        {"GET", Routes::kChoices, false, choices},
        {"GET", Routes::kSubmissionList, false, list},
        {"GET", Routes::kSubmission, false, one},
        {"GET", Routes::kChanges, false, changes},
        {"GET", Routes::kOriginal, false, original},
        {"POST", Routes::kReview, false, review},
        {"POST", Routes::kFinding, false, finding},
    };
}

} // namespace Serve
