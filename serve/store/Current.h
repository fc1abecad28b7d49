// What counts now, written once for every query that needs it: a submission
// counts when it was accepted, was not rejected in review ("退回"), and is the
// newest such of its enterprise (by the time received, as the collector takes
// the newest file by its time); a file without an enterprise's name counts alone.
#pragma once

#include <QString>

namespace Serve::Current {

// The ids of the submissions that count now, as a subquery: one ordered pass
// over the index of accepted files (by enterprise, then time), where a file
// with no newer one after it counts. `among`, a condition on the submission s,
// narrows it to whole enterprises (all their files or none), so that one
// enterprise's answer reads only its own files.
inline QString submissionIds(QLatin1StringView among = QLatin1StringView("1 = 1"))
{
    return QLatin1StringView(
               "SELECT id FROM (SELECT s.id, s.enterprise_key, "
               "LEAD(s.id) OVER (PARTITION BY s.enterprise_key ORDER BY s.received, s.id) AS newer "
               "FROM submissions s LEFT JOIN reviews r ON r.submission_id = s.id "
               "WHERE %1 AND s.accepted = 1 AND (r.state IS NULL OR r.state <> 'rejected')) w "
               "WHERE w.newer IS NULL OR w.enterprise_key = ''")
        .arg(among);
}

// The review states as kept; no row in reviews is kReceived.
inline constexpr char kReceived[] = "received"; // "已接收"
inline constexpr char kPending[] = "pending";   // "待核实"
inline constexpr char kApproved[] = "approved"; // "已核实"
inline constexpr char kRejected[] = "rejected"; // "退回"

} // namespace Serve::Current
