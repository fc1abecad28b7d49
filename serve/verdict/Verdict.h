// The verdict on a received file, by the collector's own code: its reader,
// its record check, its data checks, its words; and the rule that tells two
// files of one enterprise apart from two enterprises.
#pragma once

#include "serve/store/Store.h"
#include "survey/DataChecks.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace Serve::Verdict {

// A file's name as sent: text only (never a path), without control
// characters, at most a file name's length.
QString cleanFileName(const QString &name);

// The submission as it will be kept: bytes, hash, name, time, and the
// verdict (accepted or not, why, problems, findings) as JSON.
Submission judge(const QByteArray &bytes, const QString &fileName, const QDateTime &received);

// What names one finding of one file for good, as "unit_slip/12/1" (the
// check, what it is about, the year): a collector's mark is kept under it.
QString findingKey(const DataChecks::Finding &finding);

// The answer about a kept submission: the verdict with its receipt and what
// it replaces.
QJsonObject answer(const Submission &submission);

} // namespace Serve::Verdict
