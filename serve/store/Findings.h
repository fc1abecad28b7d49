// Each accepted submission's findings as rows beside it, so that counting
// them by check, or finding the submissions with one, reads an index rather
// than every verdict.
#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

namespace Serve::Findings {

// The findings of the verdict, listed under the submission.
bool list(QSqlDatabase db, qint64 submissionId, const QByteArray &verdict, QString *error);
// For a database whose submissions came before the list did: each listed once.
bool listAll(QSqlDatabase db, QString *error);

} // namespace Serve::Findings
