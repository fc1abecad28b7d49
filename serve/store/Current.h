// What counts now, written once for every query that needs it: a submission
// counts when it was accepted, was not rejected in review ("退回"), and is the
// newest such of its enterprise (by the time received, as the collector takes
// the newest file by its time); a file without an enterprise's name counts alone.
#pragma once

namespace Serve::Current {

// The ids of the submissions that count now, as a subquery. The newer file is
// looked for by the enterprise's index: `+n.accepted` keeps SQLite from taking
// the index of accepted files instead, which made the query quadratic (13 s
// for 3,000 files).
inline constexpr char kSubmissionIds[] =
    "SELECT s.id FROM submissions s LEFT JOIN reviews r ON r.submission_id = s.id "
    "WHERE s.accepted = 1 AND (r.state IS NULL OR r.state <> 'rejected') AND (s.enterprise_key = '' OR NOT EXISTS ("
    "SELECT 1 FROM submissions n LEFT JOIN reviews nr ON nr.submission_id = n.id "
    "WHERE n.enterprise_key = s.enterprise_key AND +n.accepted = 1 AND (nr.state IS NULL OR nr.state <> 'rejected') "
    "AND (n.received > s.received OR (n.received = s.received AND n.id > s.id))))";

// The review states as kept; no row in reviews is kReceived.
inline constexpr char kReceived[] = "received"; // "已接收"
inline constexpr char kPending[] = "pending";   // "待核实"
inline constexpr char kApproved[] = "approved"; // "已核实"
inline constexpr char kRejected[] = "rejected"; // "退回"

} // namespace Serve::Current
