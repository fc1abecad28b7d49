// The schema, as numbered steps: each runs once, in order, and is never
// changed once released (a change is a new step). {id} and {bytes} stand for
// the column types each database names its own way.
#pragma once

#include <QStringList>

namespace Serve::Migrations {

// Step n is all()[n - 1]; each is one or more statements.
inline QList<QStringList> all()
{
    return {
        {
            "CREATE TABLE upload_codes ("
            " id {id},"
            " code_sha256 TEXT NOT NULL UNIQUE,"
            " name TEXT NOT NULL,"
            " created TEXT NOT NULL,"
            " revoked TEXT)",
            "CREATE TABLE submissions ("
            " id {id},"
            " sha256 TEXT NOT NULL UNIQUE,"
            " code_id BIGINT NOT NULL REFERENCES upload_codes(id),"
            " received TEXT NOT NULL,"
            " file_name TEXT NOT NULL,"
            " size BIGINT NOT NULL,"
            " accepted INTEGER NOT NULL,"
            " enterprise TEXT NOT NULL,"
            " enterprise_key TEXT NOT NULL,"
            " reason TEXT NOT NULL,"
            " verdict TEXT NOT NULL,"
            " replaces BIGINT REFERENCES submissions(id),"
            " bytes {bytes} NOT NULL)",
            "CREATE INDEX submissions_by_enterprise ON submissions(enterprise_key, id)",
            "CREATE INDEX submissions_by_code ON submissions(code_id)",
        },
    };
}

} // namespace Serve::Migrations
