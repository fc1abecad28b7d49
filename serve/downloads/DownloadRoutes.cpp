#include "serve/downloads/DownloadRoutes.h"

#include "collect/report/ReportBreakdown.h"
#include "serve/downloads/Desk.h"
#include "serve/service/Answers.h"
#include "serve/service/Routes.h"

#include <QJsonArray>

namespace Serve {

using namespace Answers;

namespace {

QJsonObject offered()
{
    QJsonArray files, groupings;
    for (const Downloads::Kind &kind : Downloads::kinds())
        files.append(QJsonObject{{"name", kind.name},
                                 {"caption", kind.caption},
                                 {"report", kind.content == OutputContent::Report && !kind.originals}});
    for (const auto &[name, label] : Report::Breakdowns::offered())
        groupings.append(QJsonObject{{"name", name}, {"label", label}});
    return {{"files", files}, {"groupings", groupings}};
}

// The grouping asked for, each variable one a report can be grouped by; nothing when one is not.
std::optional<QStringList> grouping(const QString &by)
{
    QStringList names = by.split(QLatin1Char(','), Qt::SkipEmptyParts);
    names.removeDuplicates();
    const QList<QPair<QString, QString>> offered = Report::Breakdowns::offered();
    for (const QString &name : names)
        if (std::none_of(offered.begin(), offered.end(), [&](const auto &o) { return o.first == name; }))
            return std::nullopt;
    return names;
}

Response download(Downloads::Desk &desk, const CollectorCall &call)
{
    const QByteArray prefix = QByteArray(Routes::kDownloads) + '/';
    const std::optional<Downloads::Kind> kind = Downloads::kindOf(QString::fromUtf8(call.request.path.mid(prefix.size())));
    if (!kind)
        return refusal(404, QStringLiteral("没有这种下载。"));
    std::optional<QStringList> by = QStringList();
    if (kind->content == OutputContent::Report && !kind->originals)
        by = grouping(call.request.argument("by"));
    if (!by)
        return refusal(400, QStringLiteral("报告只能按单选题、是否题或下拉选择的变量分组。"));
    const qint64 job = call.request.argument("job").toLongLong();
    return desk.request(*kind, *by, job, call.request.argument("progress") == "1", call.store, call.session);
}

} // namespace

QList<CollectorRoute> downloadRoutes(const CollectorContext &context)
{
    auto desk = std::make_shared<Downloads::Desk>(context.database, context.dataFolder + QStringLiteral("/downloads"));
    return {
        {"GET", Routes::kDownloads, false, [](const CollectorCall &) { return json(200, offered()); }},
        {"GET", QByteArray(Routes::kDownloads) + '/', true,
         [desk](const CollectorCall &call) { return download(*desk, call); }},
    };
}

} // namespace Serve
