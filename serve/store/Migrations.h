// The schema, as numbered steps: each runs once, in order, and is never
// changed once released (a change is a new step). {id} and {bytes} stand for
// the column types each database names its own way.
#pragma once

#include <QStringList>

namespace Serve::Migrations {

// Receiving files: the upload codes and the submissions.
inline QStringList receiving()
{
    return {
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
    };
}

// The collectors' side: who may sign in, their sessions, what they decided
// about each submission and finding, and what they did.
inline QStringList collecting()
{
    return {
        "CREATE TABLE collectors ("
        " id {id},"
        " name TEXT NOT NULL UNIQUE,"
        " code_sha256 TEXT NOT NULL UNIQUE,"
        " created TEXT NOT NULL,"
        " revoked TEXT)",
        "CREATE TABLE sessions ("
        " id {id},"
        " token_sha256 TEXT NOT NULL UNIQUE,"
        " csrf TEXT NOT NULL,"
        " collector_id BIGINT NOT NULL REFERENCES collectors(id),"
        " created TEXT NOT NULL,"
        " seen TEXT NOT NULL,"
        " ended TEXT)",
        // A submission's review as it stands now; no row is "received".
        // state: 'pending', 'approved', 'rejected' (or 'received' when set back).
        "CREATE TABLE reviews ("
        " submission_id BIGINT PRIMARY KEY REFERENCES submissions(id),"
        " state TEXT NOT NULL,"
        " note TEXT NOT NULL,"
        " collector_id BIGINT NOT NULL REFERENCES collectors(id),"
        " changed TEXT NOT NULL)",
        "CREATE INDEX reviews_by_state ON reviews(state, submission_id)",
        // A finding a collector checked: finding is the verdict's "key" of it.
        "CREATE TABLE checked_findings ("
        " submission_id BIGINT NOT NULL REFERENCES submissions(id),"
        " finding TEXT NOT NULL,"
        " collector_id BIGINT NOT NULL REFERENCES collectors(id),"
        " changed TEXT NOT NULL,"
        " PRIMARY KEY (submission_id, finding))",
        // Appended only. collector_id is NULL for what the server itself did.
        "CREATE TABLE audit_log ("
        " id {id},"
        " at TEXT NOT NULL,"
        " collector_id BIGINT REFERENCES collectors(id),"
        " action TEXT NOT NULL,"
        " subject TEXT NOT NULL,"
        " detail TEXT NOT NULL)",
        // Each accepted file's findings (by the verdict's "key"), to count and filter by check.
        "CREATE TABLE findings ("
        " submission_id BIGINT NOT NULL REFERENCES submissions(id),"
        " finding TEXT NOT NULL,"
        " check_id TEXT NOT NULL,"
        " severity TEXT NOT NULL,"
        " PRIMARY KEY (submission_id, finding))",
        "CREATE INDEX findings_by_check ON findings(check_id, submission_id)",
        "CREATE INDEX findings_by_submission ON findings(submission_id, check_id, finding)",
        // Each holds all a query reads, so that none reads the rows
        // themselves (their verdicts and bytes make them large): what
        // counts now (the newest accepted of an enterprise), and the
        // submissions' table in id order with what it filters on.
        "CREATE INDEX submissions_by_accepted ON submissions(accepted, enterprise_key, received, id)",
        "CREATE INDEX submissions_listed ON submissions(id, accepted, code_id, enterprise_key, received)",
    };
}

// Step n is all()[n - 1]; each is one or more statements.
inline QList<QStringList> all()
{
    return {receiving(), collecting()};
}

} // namespace Serve::Migrations
