#include "serve/store/Sql.h"

#include <QSqlError>

namespace Serve::Sql {

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeOf(const QVariant &text)
{
    return QDateTime::fromString(text.toString(), Qt::ISODateWithMs).toUTC();
}

QVariant text(const QString &s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QVariant noNumber()
{
    return QVariant(QMetaType::fromType<qlonglong>());
}

bool run(QSqlQuery &query, QString *error)
{
    if (query.exec())
        return true;
    *error = QStringLiteral("数据库出错：") + query.lastError().text();
    return false;
}

} // namespace Serve::Sql
