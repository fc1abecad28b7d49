// A zip of the files of one folder, with libzip: each under folderName/ in
// the archive, dated as the file is, names in UTF-8.
#pragma once

#include <QString>

#include <atomic>

namespace Serve::Downloads {

// Writes path (which must not exist); false with why in error, and no file
// left. Stops, false, when cancelled is set.
bool zipFolder(const QString &folder, const QString &folderName, const QString &path, const std::atomic<bool> &cancelled,
               QString *error);

} // namespace Serve::Downloads
