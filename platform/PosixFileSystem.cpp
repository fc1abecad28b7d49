// The file calls of a POSIX system (Linux).
#include "platform/FileSystemCalls.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixFileSystem : public FileSystemCalls {
public:
    int createTemporary(const QByteArray &prefix, const QByteArray &suffix, Handle &file, QByteArray &path) override
    {
        QByteArray pattern = prefix + QByteArray(kTemporaryRandomLetters, 'X') + suffix;
        const int fd = ::mkostemps(pattern.data(), int(suffix.size()), O_CLOEXEC);
        if (fd < 0)
            return errno;
        // Readable by the data collectors' tools like any ordinary file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        file = fd;
        path = pattern;
        return 0;
    }

    int writeAll(Handle file, const char *data, std::size_t size) override
    {
        while (size > 0) {
            const ssize_t n = ::write(int(file), data, size);
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

    int sync(Handle file) override { return syncOpened(int(file)); }

    int close(Handle file) override
    {
        if (::close(int(file)) != 0 && errno != EINTR)
            return errno;
        return 0;
    }

    int checkReplaceable(const QByteArray &path) override
    {
        struct stat info {};
        if (::stat(path.constData(), &info) != 0)
            return errno == ENOENT ? 0 : errno;
        if (S_ISDIR(info.st_mode))
            return EISDIR;
        if (S_ISREG(info.st_mode) && ::access(path.constData(), W_OK) != 0)
            return errno;
        return 0;
    }

    int rename(const QByteArray &from, const QByteArray &to) override
    {
        return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
    }

    int syncPath(const QByteArray &path) override
    {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) // a folder this user may write but not read cannot be synced: the journal takes it in time
            return errno == EACCES || errno == EPERM ? 0 : errno;
        const int result = syncOpened(fd);
        ::close(fd);
        return result;
    }

    void remove(const QByteArray &path) override { ::unlink(path.constData()); }

private:
    static int syncOpened(int fd)
    {
        while (::fsync(fd) != 0) {
            if (errno == EINTR)
                continue;
            // A file system that cannot sync this kind of file has nothing to wait for.
            return errno == EINVAL || errno == ENOTSUP ? 0 : errno;
        }
        return 0;
    }
};

} // namespace

FileSystemCalls &FileSystemCalls::system()
{
    static PosixFileSystem calls;
    return calls;
}

QByteArray FileSystemCalls::nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QByteArray FileSystemCalls::nativeArgument(char *argv[], int index)
{
    return QByteArray(argv[index]);
}

QString FileSystemCalls::displayPath(const QByteArray &nativePath)
{
    return QFile::decodeName(nativePath);
}

QByteArray FileSystemCalls::nativeFolderOf(const QByteArray &nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    return slash < 0 ? QByteArray() : nativePath.left(slash + 1);
}

bool FileSystemCalls::isPlainFileName(const QString &name)
{
    // A backslash is refused too: on the collectors' Windows machines it is a separator.
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

bool FileSystemCalls::isNameTooLong(const QString &name)
{
    return nativePath(name).size() > NAME_MAX;
}

FileSystemCalls::ErrorKind FileSystemCalls::kindOf(int code)
{
    switch (code) {
    case ENAMETOOLONG:
        return ErrorKind::NameTooLong;
    case ENOENT:
    case ENOTDIR:
        return ErrorKind::InvalidName;
    case EACCES:
    case EPERM:
    case EROFS:
        return ErrorKind::AccessDenied;
    case EMFILE:
    case ENFILE:
        return ErrorKind::TooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
        return ErrorKind::DiskFull;
    default:
        return ErrorKind::Other;
    }
}

FileSystemCalls::Reason FileSystemCalls::reasonOf(int code)
{
    switch (code) {
    case ENOENT:
        return Reason::NotFound;
    case ENOTDIR:
        return Reason::NotAFolder;
    case EACCES:
    case EPERM:
        return Reason::AccessDenied;
    case EROFS:
        return Reason::ReadOnly;
    case EMFILE:
    case ENFILE:
        return Reason::TooManyOpenFiles;
    case ENOSPC:
        return Reason::DiskFull;
    case EDQUOT:
        return Reason::QuotaExceeded;
    case EISDIR:
        return Reason::IsAFolder;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    case ELOOP:
        return Reason::TooManyLinks;
    case EBUSY:
    case ETXTBSY:
        return Reason::Busy;
    case EEXIST:
        return Reason::Exists;
    case EIO:
        return Reason::DeviceError;
    default:
        return Reason::Unknown;
    }
}

FileSystemCalls::ReadFile FileSystemCalls::readRegularFile(const QByteArray &nativePath, qint64 maxBytes)
{
    ReadFile result;
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = errno;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.notRegular = true;
        return result;
    }
    result.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    readOpened(result, qint64(info.st_size), maxBytes, [fd](char *into, qint64 most, int &error) -> qint64 {
        for (;;) {
            const ssize_t n = ::read(fd, into, size_t(most));
            if (n >= 0)
                return qint64(n);
            if (errno != EINTR) {
                error = errno;
                return -1;
            }
        }
    });
    return result;
}
