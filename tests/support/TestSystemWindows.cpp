#include "tests/support/TestSystem.h"

#include <windows.h>

namespace TestSystem {

const ErrorCodes &errorCodes()
{
    static const ErrorCodes codes{ERROR_ACCESS_DENIED,
                                  ERROR_PATH_NOT_FOUND,
                                  ERROR_DISK_FULL,
                                  ERROR_WRITE_FAULT,
                                  ERROR_SHARING_VIOLATION,
                                  QStringLiteral("Invalid filename."),
                                  QStringLiteral("I/O error 267.")};
    return codes;
}

QString posixOnlyReason()
{
    return QStringLiteral("Windows has no descriptor limit to exhaust and no umask");
}

int withNoFileLeft(const std::function<int()> &call)
{
    return call();
}

void withUmask(int, const std::function<void()> &call)
{
    call();
}

int modeOf(const QString &)
{
    return -1;
}

} // namespace TestSystem
