// The addresses the server answers, written once.
#pragma once

#include <QByteArray>

namespace Serve::Routes {

inline constexpr char kSubmissions[] = "/api/v1/submissions";
inline constexpr char kUploadPage[] = "/u/";     // followed by the upload code
inline constexpr char kStatic[] = "/static/";    // the page's style and script
inline constexpr char kFileNameHeader[] = "x-file-name"; // percent-encoded UTF-8

} // namespace Serve::Routes
