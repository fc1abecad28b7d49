// The addresses the server answers, written once.
#pragma once

#include <QByteArray>

namespace Serve::Routes {

inline constexpr char kSubmissions[] = "/api/v1/submissions";
inline constexpr char kUploadPage[] = "/u/";     // followed by the upload code
inline constexpr char kStatic[] = "/static/";    // the page's style and script
inline constexpr char kFileNameHeader[] = "x-file-name"; // percent-encoded UTF-8

// The collectors' side: its page, and its API behind a session.
inline constexpr char kCollect[] = "/collect";
inline constexpr char kCollectApi[] = "/collect/api/";
inline constexpr char kSignIn[] = "/collect/api/session";
inline constexpr char kSignOut[] = "/collect/api/signout";
inline constexpr char kMe[] = "/collect/api/me";
inline constexpr char kOverview[] = "/collect/api/overview";
inline constexpr char kChart[] = "/collect/api/chart.svg";
inline constexpr char kChoices[] = "/collect/api/choices";
inline constexpr char kSubmissionList[] = "/collect/api/submissions";
inline constexpr char kSubmission[] = "/collect/api/submission";       // ?id=
inline constexpr char kChanges[] = "/collect/api/submission/changes";  // ?id=&from=
inline constexpr char kOriginal[] = "/collect/api/submission/file";    // ?id=
inline constexpr char kReview[] = "/collect/api/review";
inline constexpr char kFinding[] = "/collect/api/finding";
inline constexpr char kCodes[] = "/collect/api/codes";
inline constexpr char kRevokeCode[] = "/collect/api/codes/revoke";
inline constexpr char kAudit[] = "/collect/api/audit";
inline constexpr char kDownloads[] = "/collect/api/downloads"; // then "/<file>" for one
inline constexpr char kSessionCookie[] = "csr_collect";
inline constexpr char kCsrfHeader[] = "x-csrf-token";

} // namespace Serve::Routes
