#include "serve/store/Findings.h"

#include "serve/store/Sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace Serve::Findings {

bool list(QSqlDatabase db, qint64 submissionId, const QByteArray &verdict, QString *error)
{
    const QJsonArray findings = QJsonDocument::fromJson(verdict).object().value("findings").toArray();
    if (findings.isEmpty())
        return true;
    QSqlQuery q(db);
    q.prepare("INSERT INTO findings (submission_id, finding, check_id, severity) VALUES (?, ?, ?, ?) "
              "ON CONFLICT (submission_id, finding) DO NOTHING");
    for (const QJsonValue &f : findings) {
        q.addBindValue(submissionId);
        q.addBindValue(f["key"].toString());
        q.addBindValue(f["check"].toString());
        q.addBindValue(f["severity"].toString());
        if (!Sql::run(q, error))
            return false;
    }
    return true;
}

bool listAll(QSqlDatabase db, QString *error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare("SELECT id, verdict FROM submissions WHERE accepted = 1 ORDER BY id");
    if (!Sql::run(q, error))
        return false;
    while (q.next())
        if (!list(db, q.value(0).toLongLong(), q.value(1).toByteArray(), error))
            return false;
    return true;
}

} // namespace Serve::Findings
