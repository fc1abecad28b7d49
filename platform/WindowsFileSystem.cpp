// The file calls of Windows. Native paths are UTF-8 here and widened for the
// system, so Chinese and blank folder names work whatever the code page;
// error codes are GetLastError's.
#include "platform/FileSystemCalls.h"

#include <QCoreApplication>
#include <QDir>
#include <QRandomGenerator>

#include <windows.h>

namespace {

std::wstring wide(const QByteArray &nativePath)
{
    return QString::fromUtf8(nativePath).toStdWString();
}

class WindowsFileSystem : public FileSystemCalls {
public:
    int createTemporary(const QByteArray &prefix, const QByteArray &suffix, Handle &file, QByteArray &path) override
    {
        static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray candidate = prefix;
            for (qsizetype i = 0; i < kTemporaryRandomLetters; ++i)
                candidate += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
            candidate += suffix;
            // Others may read, and a library may open it by name to write it.
            const HANDLE handle = ::CreateFileW(wide(candidate).c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                const DWORD code = ::GetLastError();
                if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
                    continue;
                return int(code);
            }
            file = Handle(handle);
            path = candidate;
            return 0;
        }
        return ERROR_FILE_EXISTS;
    }

    int writeAll(Handle file, const char *data, std::size_t size) override
    {
        while (size > 0) {
            const DWORD chunk = DWORD(std::min<std::size_t>(size, 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(HANDLE(file), data, chunk, &written, nullptr))
                return int(::GetLastError());
            data += written;
            size -= written;
        }
        return 0;
    }

    int sync(Handle file) override { return ::FlushFileBuffers(HANDLE(file)) ? 0 : int(::GetLastError()); }

    int close(Handle file) override { return ::CloseHandle(HANDLE(file)) ? 0 : int(::GetLastError()); }

    int checkReplaceable(const QByteArray &path) override
    {
        const std::wstring name = wide(path);
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD code = ::GetLastError();
            return code == ERROR_FILE_NOT_FOUND ? 0 : int(code);
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return ERROR_DIRECTORY;
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return ERROR_ACCESS_DENIED;
        // Opened for writing and closed at once, unchanged: tells a file that
        // another program holds, or that this user may not write.
        const HANDLE handle =
            ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return int(::GetLastError());
        ::CloseHandle(handle);
        return 0;
    }

    int rename(const QByteArray &from, const QByteArray &to) override
    {
        return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : int(::GetLastError());
    }

    int syncPath(const QByteArray &path) override
    {
        const std::wstring name = wide(path);
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return int(::GetLastError());
        // A rename is written through (MOVEFILE_WRITE_THROUGH): a folder holds nothing more to wait for.
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return 0;
        const HANDLE handle =
            ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return int(::GetLastError());
        const int result = sync(Handle(handle));
        ::CloseHandle(handle);
        return result;
    }

    void remove(const QByteArray &path) override { ::DeleteFileW(wide(path).c_str()); }
};

} // namespace

FileSystemCalls &FileSystemCalls::system()
{
    static WindowsFileSystem calls;
    return calls;
}

QByteArray FileSystemCalls::nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toUtf8();
}

QByteArray FileSystemCalls::nativeArgument(char *[], int index)
{
    return nativePath(QCoreApplication::arguments().value(index));
}

QString FileSystemCalls::displayPath(const QByteArray &nativePath)
{
    return QString::fromUtf8(nativePath);
}

QByteArray FileSystemCalls::nativeFolderOf(const QByteArray &nativePath)
{
    const qsizetype separator = std::max(nativePath.lastIndexOf('\\'), nativePath.lastIndexOf('/'));
    return separator < 0 ? QByteArray() : nativePath.left(separator + 1);
}

bool FileSystemCalls::isPlainFileName(const QString &name)
{
    // Besides the separators, these would name a device, a stream or a pattern.
    for (QChar c : name)
        if (c.unicode() < 0x20 || QStringView(u"<>:\"/\\|?*").contains(c))
            return false;
    return true;
}

bool FileSystemCalls::isNameTooLong(const QString &name)
{
    return name.size() > 255; // NTFS's and exFAT's longest name, in UTF-16 units
}

FileSystemCalls::ErrorKind FileSystemCalls::kindOf(int code)
{
    switch (code) {
    case ERROR_FILENAME_EXCED_RANGE:
        return ErrorKind::NameTooLong;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
        return ErrorKind::InvalidName;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        return ErrorKind::AccessDenied;
    case ERROR_TOO_MANY_OPEN_FILES:
        return ErrorKind::TooManyOpenFiles;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ErrorKind::DiskFull;
    default:
        return ErrorKind::Other;
    }
}

FileSystemCalls::Reason FileSystemCalls::reasonOf(int code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return Reason::NotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return Reason::BadName;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        return Reason::AccessDenied;
    case ERROR_WRITE_PROTECT:
        return Reason::WriteProtected;
    case ERROR_TOO_MANY_OPEN_FILES:
        return Reason::TooManyOpenFiles;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Reason::DiskFull;
    case ERROR_DIRECTORY:
        return Reason::IsAFolder;
    case ERROR_FILENAME_EXCED_RANGE:
        return Reason::NameTooLong;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return Reason::HeldByAnotherProgram;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return Reason::Exists;
    default:
        return Reason::Unknown;
    }
}

FileSystemCalls::ReadFile FileSystemCalls::readRegularFile(const QByteArray &nativePath, qint64 maxBytes)
{
    ReadFile result;
    const std::wstring name = wide(nativePath);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        result.notRegular = true;
        return result;
    }
    const HANDLE file =
        ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result.error = int(::GetLastError());
        return result;
    }
    struct Closer {
        HANDLE file;
        ~Closer() { ::CloseHandle(file); }
    } closer{file};

    // A device or a pipe named like a file (CON, \\.\pipe\...) is not read.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        result.notRegular = true;
        return result;
    }
    LARGE_INTEGER size{};
    FILETIME written{};
    if (!::GetFileSizeEx(file, &size) || !::GetFileTime(file, nullptr, nullptr, &written)) {
        result.error = int(::GetLastError());
        return result;
    }
    // FILETIME counts 100 ns from 1601; the epoch is 11644473600 s later.
    const qint64 ticks = (qint64(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    result.modified = (ticks - 116444736000000000LL) * 100;
    readOpened(result, qint64(size.QuadPart), maxBytes, [file](char *into, qint64 most, int &error) -> qint64 {
        DWORD n = 0;
        if (!::ReadFile(file, into, DWORD(std::min<qint64>(most, 1 << 30)), &n, nullptr)) {
            error = int(::GetLastError());
            return -1;
        }
        return qint64(n);
    });
    return result;
}
