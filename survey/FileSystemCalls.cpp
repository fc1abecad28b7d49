// POSIX implementation of the writer's operating-system calls.
#include "FileSystemCalls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PosixFileSystem &PosixFileSystem::instance()
{
    static PosixFileSystem calls;
    return calls;
}

int PosixFileSystem::createTemporary(const QByteArray &folder, int &fd, QByteArray &path)
{
    // A short, fixed-length name: the result file's own name may be near the
    // file system's limit, and the temporary must not fail for that reason.
    QByteArray pattern = folder + ".csr-survey-XXXXXX";
    fd = mkstemp(pattern.data());
    if (fd < 0)
        return errno;
    // Readable by the data collectors' tools like any ordinary file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    path = pattern;
    return 0;
}

int PosixFileSystem::writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= std::size_t(n);
    }
    return 0;
}

int PosixFileSystem::close(int fd)
{
    // No fsync: the rename below replaces the file in one step, and waiting for
    // the disk would make the save many times slower for no visible gain.
    if (::close(fd) != 0 && errno != EINTR)
        return errno;
    return 0;
}

int PosixFileSystem::checkReplaceable(const QByteArray &path)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISREG(info.st_mode) && ::access(path.constData(), W_OK) != 0)
        return errno;
    return 0;
}

int PosixFileSystem::rename(const QByteArray &from, const QByteArray &to)
{
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

void PosixFileSystem::remove(const QByteArray &path)
{
    ::unlink(path.constData());
}
