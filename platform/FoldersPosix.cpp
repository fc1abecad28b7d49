// The folder calls of a POSIX system (Linux). A merge holds an output folder
// with a shared lock on the folder itself (flock), which the system drops when
// the process ends, however it ends; a merge that gets the lock alone knows
// that every temporary file of its kind there is left over. Its turn to put
// outputs in place is a lock of its own (see Turn).
#include "platform/Folders.h"

#include "platform/SafeFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Folders {
namespace {

Type typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return Type::File;
    if (S_ISDIR(mode))
        return Type::Folder;
    return Type::Other;
}

} // namespace

Status status(const QByteArray &path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return {.error = errno};
    const bool link = S_ISLNK(info.st_mode);
    if (link && ::stat(path.constData(), &info) != 0)
        return {.error = errno, .link = true};
    return {.type = typeOf(info.st_mode), .device = quint64(info.st_dev), .node = quint64(info.st_ino), .link = link};
}

QByteArray linkTarget(const QByteArray &path)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t size = ::readlink(path.constData(), target.data(), size_t(target.size()));
    return size > 0 ? target.left(size) : QByteArray();
}

Place placeIn(const Status &folder, const QByteArray &name)
{
    return {.device = folder.device, .node = folder.node, .name = name};
}

int list(const QByteArray &folder, const std::function<bool(const Entry &)> &each)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return errno;
    int error = 0;
    Entry entry;
    for (;;) {
        errno = 0;
        const dirent *found = ::readdir(dir);
        if (!found) {
            error = errno;
            break;
        }
        if (std::strcmp(found->d_name, ".") == 0 || std::strcmp(found->d_name, "..") == 0)
            continue;
        entry.name = QByteArray(found->d_name);
        entry.node = quint64(found->d_ino);
        switch (found->d_type) {
        case DT_REG:
            entry.type = Type::File;
            break;
        case DT_DIR:
            entry.type = Type::Folder;
            break;
        default:
            entry.type = Type::Unknown; // a link, or a file system that does not tell
            break;
        }
        if (!each(entry))
            break;
    }
    ::closedir(dir);
    return error;
}

Hold::Hold(const QByteArray &folder, const char *tag)
{
    const int fd = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // the output's own open reports what is wrong
    handle_ = fd;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        list(folder.isEmpty() ? QByteArray(".") : folder, [&](const Entry &entry) {
            if (SafeFile::isTemporaryName(entry.name, tag) && entry.type != Type::Folder)
                ::unlinkat(fd, entry.name.constData(), 0);
            return true;
        });
    }
    // Another merge may take the lock alone between these two calls; it
    // finds none of this merge's files yet, which are made after.
    while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
    }
}

Hold::~Hold()
{
    if (handle_ >= 0)
        ::close(int(handle_)); // drops the lock
}

// The turn is an exclusive lock on a small file in the folder, which the
// merge whose turn ends removes. A merge that waited on the removed file
// finds it gone once it has the lock, and tries the new one.
Turn::Turn(const QByteArray &folder) : folder_(folder) {}

static QByteArray lockFileOf(const QByteArray &folder)
{
    return (folder.isEmpty() ? QByteArray(".") : folder) + '/' + kLockName;
}

bool Turn::take()
{
    const QByteArray path = lockFileOf(folder_);
    while (!taken_) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0)
            return taken_ = true;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK || error == EINTR)
                return false;
            return taken_ = true;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            handle_ = fd;
            taken_ = true;
        } else {
            ::close(fd);
        }
    }
    return true;
}

Turn::~Turn()
{
    if (handle_ < 0)
        return;
    ::unlink(lockFileOf(folder_).constData()); // while still locked: no merge takes a lock on a file about to go
    ::close(int(handle_));
}

} // namespace Folders
