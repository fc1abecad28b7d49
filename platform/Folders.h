// The calls into the file system that the collector makes beyond writing a
// file (platform/SafeFile does that): looking at paths and listing folders for
// the search, and holding an output folder while a merge writes into it.
// POSIX in FoldersPosix.cpp, Windows in FoldersWindows.cpp.
// Paths are native (see FileSystemCalls::nativePath).
#pragma once

#include <QByteArray>
#include <QHashFunctions>
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
    // The path itself is a symbolic link (or, on Windows, a junction); the
    // rest tells of what it leads to.
    bool link = false;
};

// What the path names, links followed.
Status status(const QByteArray &path);

// Where a link leads, as it says (POSIX) or as the system resolves it
// (Windows); empty when that cannot be read.
QByteArray linkTarget(const QByteArray &path);

// Where a path puts its file: the identity of its folder (links followed)
// and its name as the folder compares names (Windows: in any case), so that
// two paths to one file through a link have one place. node is 0 when the
// folder cannot be looked at.
struct Place {
    quint64 device = 0;
    quint64 node = 0;
    QByteArray name;
    friend bool operator==(const Place &, const Place &) = default;
};
inline size_t qHash(const Place &place, size_t seed = 0)
{
    return qHashMulti(seed, place.device, place.node, place.name);
}
Place placeOf(const QByteArray &path);
// The place of a name in a folder already looked at.
Place placeIn(const Status &folder, const QByteArray &name);

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

// The tag in the names of the collector's temporary files (see SafeFile::isTemporaryName).
inline constexpr char kTemporaryTag[] = "collect";

// The file of an output folder's lock, there while a merge puts its outputs
// in place (and, on Windows, while one writes).
inline constexpr char kLockName[] = ".csr-collect.lock";

// Whether a name is one of the files a merge keeps in an output folder while
// it writes: its temporary files and the folder's lock, those names exactly.
// No input search lists them.
bool isWorkingFile(const QByteArray &name);

// While it lives, a merge holds the output folder, and no other merge's
// clean-up removes the temporary files it writes there. The first merge to
// hold a folder that no other holds removes the temporary files that killed
// runs left behind (SafeFile's, of the given tag; no other file).
class Hold {
public:
    Hold(const QByteArray &folder, const char *tag);
    ~Hold();
    Hold(const Hold &) = delete;
    Hold &operator=(const Hold &) = delete;

private:
    std::intptr_t handle_ = -1;
};

// A merge's turn to put its outputs in place in a folder, which one merge at
// a time has: each folder then ends with one merge's set. Let go of when it
// is destroyed; the system lets go of it when the process ends, however it ends.
class Turn {
public:
    explicit Turn(const QByteArray &folder);
    ~Turn();
    Turn(const Turn &) = delete;
    Turn &operator=(const Turn &) = delete;

    // Takes the turn if no other merge has it; true once this one has it, or
    // when the folder takes no lock (its renames then say what is wrong).
    bool take();

private:
    QByteArray folder_;
    std::intptr_t handle_ = -1;
    bool taken_ = false;
};

} // namespace Folders
