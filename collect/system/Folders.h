// The calls into the file system that the collector makes beyond writing a
// file (survey/SafeFile does that): looking at paths and listing folders for
// the search, and holding an output folder while a merge writes into it.
// POSIX in FoldersPosix.cpp, Windows in FoldersWindows.cpp.
// Paths are native (see FileSystemCalls::nativePath).
#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>

namespace Folders {

enum class Type { File, Folder, Other, Unknown };

struct Status {
    int error = 0; // 0, or the system's error code
    Type type = Type::Unknown;
    // Tells a file or folder apart from every other on the machine; both 0
    // when the system cannot tell.
    quint64 device = 0;
    quint64 node = 0;
};

// What the path names, links followed.
Status status(const QByteArray &path);

struct Entry {
    QByteArray name;           // as the file system gives it
    Type type = Type::Unknown; // Unknown: ask status()
    quint64 node = 0;          // as in Status, on the folder's device; 0 when not told
};

// Calls each for every entry of the folder but "." and "..", until it
// returns false. Returns 0, or the system's error code when the folder
// could not be opened or read to its end.
int list(const QByteArray &folder, const std::function<bool(const Entry &)> &each);

// The separator of a native path.
inline constexpr char kSeparator = '/';

// The tag in the names of the collector's temporary files: ".csr-collect-XXXXXX".
inline constexpr char kTemporaryTag[] = "collect";

// While it lives, a merge holds the output folder, and no other merge's
// clean-up removes the temporary files it writes there. The first merge to
// hold a folder that no other holds removes the temporary files that killed
// runs left behind (SafeFile's, of the given tag).
class Hold {
public:
    Hold(const QByteArray &folder, const char *tag);
    ~Hold();
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;

private:
    std::intptr_t handle_ = -1;
};

} // namespace Folders
