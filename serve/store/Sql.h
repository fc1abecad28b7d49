// What every query of the store does the same way: times kept as ISO text in
// UTC, texts never NULL, a failed statement said in one sentence.
#pragma once

#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace Serve::Sql {

QString timeText(const QDateTime &time);
QDateTime timeOf(const QVariant &text);
// An empty text, not NULL.
QVariant text(const QString &s);
// A NULL that both databases take for a BIGINT.
QVariant noNumber();
// Runs a prepared query; false with the database's words in error.
bool run(QSqlQuery &query, QString *error);

} // namespace Serve::Sql
