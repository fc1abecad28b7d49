#include "tests/support/TestSystem.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TestSystem {

const ErrorCodes &errorCodes()
{
    static const ErrorCodes codes{EACCES, ENOENT, ENOSPC, EIO, EBUSY, ENAMETOOLONG, QStringLiteral("I/O error 21.")};
    return codes;
}

bool isPosix()
{
    return true;
}

int withNoFileLeft(const std::function<int()> &call)
{
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    int highest = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
        highest = std::max(highest, entry.toInt());
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(highest) + 1;
    // Fill every free descriptor below the limit.
    QList<int> fillers;
    setrlimit(RLIMIT_NOFILE, &tight);
    for (int f; (f = ::dup(0)) >= 0;)
        fillers << f;
    const int result = call();
    for (int f : fillers)
        ::close(f);
    setrlimit(RLIMIT_NOFILE, &saved);
    return result;
}

void withUmask(int mask, const std::function<void()> &call)
{
    const mode_t before = ::umask(mode_t(mask));
    call();
    ::umask(before);
}

int modeOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

QString tool(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

bool makePipe(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool sendSignal(qint64 pid, int signal)
{
    return ::kill(pid_t(pid), signal) == 0;
}

std::FILE *brokenPipe()
{
    int ends[2];
    if (::pipe(ends) != 0)
        return nullptr;
    ::close(ends[0]);
    return ::fdopen(ends[1], "w");
}

namespace {
const QByteArray kLevel(200, 'd');
constexpr int kLevels = 24; // 24 × 201 bytes: past PATH_MAX
} // namespace

QString writePastPathLimit(const QString &root, const QString &fileName, const QByteArray &bytes)
{
    // Folder by folder, each opened from the one before: no call ever sees the whole path.
    int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < kLevels && fd >= 0; ++i) {
        ::mkdirat(fd, kLevel.constData(), 0755);
        const int next = ::openat(fd, kLevel.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd < 0)
        return {};
    const int file = ::openat(fd, QFile::encodeName(fileName).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = file >= 0 && ::write(file, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    if (file >= 0)
        ::close(file);
    ::close(fd);
    return written ? QString::fromLatin1(kLevel) : QString();
}

void removePastPathLimit(const QString &root)
{
    // Level by level, from the outermost folder's descriptor down.
    std::function<void(int, int)> removeBelow = [&](int parent, int depth) {
        const int child = ::openat(parent, kLevel.constData(), O_RDONLY | O_DIRECTORY);
        if (child < 0)
            return;
        if (depth + 1 < kLevels) {
            removeBelow(child, depth + 1);
        } else if (DIR *dir = ::fdopendir(::dup(child))) {
            while (const dirent *entry = ::readdir(dir))
                ::unlinkat(child, entry->d_name, 0);
            ::closedir(dir);
        }
        ::close(child);
        ::unlinkat(parent, kLevel.constData(), AT_REMOVEDIR);
    };
    const int top = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY);
    if (top >= 0) {
        removeBelow(top, 0);
        ::close(top);
    }
}

} // namespace TestSystem
