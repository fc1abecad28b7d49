#include "tests/support/TestSystem.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TestSystem {

const ErrorCodes &errorCodes()
{
    static const ErrorCodes codes{
        EACCES, ENOENT, ENOSPC, EIO, EBUSY, QStringLiteral("I/O error 36."), QStringLiteral("I/O error 21.")};
    return codes;
}

QString posixOnlyReason()
{
    return {};
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

} // namespace TestSystem
