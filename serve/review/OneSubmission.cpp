#include "serve/review/OneSubmission.h"

#include "serve/review/AnswerWords.h"
#include "serve/review/States.h"
#include "serve/store/Current.h"
#include "serve/store/Sql.h"
#include "serve/verdict/Verdict.h"

#include <QJsonArray>
#include <QSqlQuery>

namespace Serve::OneSubmission {

namespace {

QString localText(const QVariant &time)
{
    return Sql::timeOf(time).toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
}

QString stateOf(const QVariant &kept)
{
    return kept.isNull() ? QString::fromLatin1(Current::kReceived) : kept.toString();
}

bool review(QSqlQuery &q, qint64 id, QJsonObject &out, QString *error)
{
    q.prepare("SELECT r.state, r.note, c.name, r.changed FROM reviews r JOIN collectors c ON c.id = r.collector_id "
              "WHERE r.submission_id = ?");
    q.addBindValue(id);
    if (!Sql::run(q, error))
        return false;
    const bool reviewed = q.next();
    const QString state = stateOf(reviewed ? q.value(0) : QVariant());
    QJsonObject r{{"state", state}, {"stateText", States::text(state)}, {"note", reviewed ? q.value(1).toString() : ""}};
    if (reviewed) {
        r.insert("by", q.value(2).toString());
        r.insert("changedText", localText(q.value(3)));
    }
    out.insert("review", r);
    return true;
}

// Each finding with who checked it, when someone did.
bool checked(QSqlQuery &q, qint64 id, QJsonObject &out, QString *error)
{
    q.prepare("SELECT k.finding, c.name, k.changed FROM checked_findings k JOIN collectors c ON c.id = k.collector_id "
              "WHERE k.submission_id = ?");
    q.addBindValue(id);
    if (!Sql::run(q, error))
        return false;
    QHash<QString, QJsonObject> marks;
    while (q.next())
        marks.insert(q.value(0).toString(), QJsonObject{{"by", q.value(1).toString()}, {"atText", localText(q.value(2))}});
    QJsonArray findings = out.value("findings").toArray();
    for (QJsonValueRef f : findings) {
        QJsonObject o = f.toObject();
        if (marks.contains(o["key"].toString()))
            o.insert("checked", marks.value(o["key"].toString()));
        f = o;
    }
    out.insert("findings", findings);
    return true;
}

// Every file of the enterprise, newest first, and the one that counts now.
bool history(QSqlQuery &q, const Submission &s, QJsonObject &out, QString *error)
{
    // The same condition picks the files and narrows what counts to them.
    const QLatin1StringView among(s.enterpriseKey.isEmpty() ? "s.id = ?" : "s.enterprise_key = ?");
    q.prepare(QStringLiteral("SELECT s.id, s.received, s.accepted, s.file_name, r.state, "
                             "EXISTS (SELECT 1 FROM (%1) c WHERE c.id = s.id) FROM submissions s "
                             "LEFT JOIN reviews r ON r.submission_id = s.id WHERE %2 "
                             "ORDER BY s.received DESC, s.id DESC LIMIT 200")
                  .arg(Current::submissionIds(among), among));
    for (int i = 0; i < 2; ++i)
        q.addBindValue(s.enterpriseKey.isEmpty() ? QVariant(s.id) : QVariant(s.enterpriseKey));
    if (!Sql::run(q, error))
        return false;
    QJsonArray files;
    while (q.next()) {
        const QString state = stateOf(q.value(4));
        files.append(QJsonObject{{"id", q.value(0).toLongLong()},
                                 {"receivedText", localText(q.value(1))},
                                 {"accepted", q.value(2).toInt() != 0},
                                 {"fileName", q.value(3).toString()},
                                 {"state", state},
                                 {"stateText", States::text(state)},
                                 {"current", q.value(5).toBool()}});
    }
    out.insert("history", files);
    return true;
}

} // namespace

std::optional<QJsonObject> of(Store &store, qint64 id, QString *error)
{
    const std::optional<Submission> s = store.submission(id, error);
    if (!s)
        return std::nullopt;
    QJsonObject out = Verdict::answer(*s);
    QSqlQuery q(store.connection());
    q.prepare("SELECT name FROM upload_codes WHERE id = ?");
    q.addBindValue(s->codeId);
    if (!Sql::run(q, error))
        return std::nullopt;
    out.insert("code", q.next() ? q.value(0).toString() : QString());
    if (!review(q, id, out, error) || !checked(q, id, out, error) || !history(q, *s, out, error))
        return std::nullopt;
    out.insert("answers", AnswerWords::json(AnswerWords::of(s->bytes)));
    return out;
}

std::optional<QJsonObject> changes(Store &store, qint64 from, qint64 to, QString *error)
{
    const std::optional<Submission> before = store.submission(from, error);
    if (!before)
        return std::nullopt;
    const std::optional<Submission> after = store.submission(to, error);
    if (!after)
        return std::nullopt;
    return QJsonObject{{"from", from},
                       {"to", to},
                       {"changes", AnswerWords::changes(AnswerWords::of(before->bytes), AnswerWords::of(after->bytes))}};
}

} // namespace Serve::OneSubmission
