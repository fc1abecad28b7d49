#include "tests/support/TestSystem.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace TestSystem {

const ErrorCodes &errorCodes()
{
    static const ErrorCodes codes{ERROR_ACCESS_DENIED,
                                  ERROR_PATH_NOT_FOUND,
                                  ERROR_DISK_FULL,
                                  ERROR_WRITE_FAULT,
                                  ERROR_SHARING_VIOLATION,
                                  ERROR_FILENAME_EXCED_RANGE,
                                  QStringLiteral("I/O error 267.")};
    return codes;
}

bool isPosix()
{
    return false;
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

QString tool(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty())
        return found;
    for (const char *folder : {"Z:/usr/bin/", "Z:/usr/local/bin/"}) {
        const QString path = QLatin1String(folder) + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool makePipe(const QString &)
{
    return false;
}

bool sendSignal(qint64, int)
{
    return false;
}

std::FILE *brokenPipe()
{
    HANDLE reader = nullptr, writer = nullptr;
    if (!::CreatePipe(&reader, &writer, nullptr, 0))
        return nullptr;
    ::CloseHandle(reader);
    const int fd = ::_open_osfhandle(intptr_t(writer), _O_WRONLY | _O_BINARY);
    return fd < 0 ? nullptr : ::_fdopen(fd, "wb");
}

QString writePastPathLimit(const QString &, const QString &, const QByteArray &)
{
    return {};
}

void removePastPathLimit(const QString &) {}

} // namespace TestSystem
