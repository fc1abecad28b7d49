// The folder calls of Windows. Paths are native (UTF-8, widened here). A
// merge holds an output folder through a lock on a small hidden file there:
// shared while it writes, exclusive for a moment when it clears what killed
// runs left; the system drops the lock when the process ends, however it ends.
// The turn to put outputs in place is another byte of that file, locked alone.
#include "platform/Folders.h"

#include "platform/SafeFile.h"

#include <QList>
#include <QString>

#include <vector>
#include <windows.h>

namespace Folders {
namespace {

std::wstring wide(const QByteArray &path)
{
    return QString::fromUtf8(path).toStdWString();
}

// The file that stands for the folder's lock; its name is not one of the
// temporaries the clean-up removes.
QByteArray lockFileOf(const QByteArray &folder)
{
    return (folder.isEmpty() ? QByteArray(".") : folder) + '\\' + kLockName;
}

// Byte 0 of the lock file holds the folder; byte 1 is the turn to put outputs in place.
constexpr DWORD kHoldByte = 0;
constexpr DWORD kTurnByte = 1;

bool lock(HANDLE file, DWORD flags, DWORD byte = kHoldByte)
{
    OVERLAPPED at{};
    at.Offset = byte;
    return ::LockFileEx(file, flags, 0, 1, 0, &at);
}

void unlock(HANDLE file, DWORD byte = kHoldByte)
{
    OVERLAPPED at{};
    at.Offset = byte;
    ::UnlockFileEx(file, 0, 1, 0, &at);
}

HANDLE openLockFile(const QByteArray &folder)
{
    return ::CreateFileW(wide(lockFileOf(folder)).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_HIDDEN, nullptr);
}

// A symbolic link or a junction; other reparse points (a file kept in the
// cloud, a deduplicated one) are what they hold, and are looked at as such.
bool isLink(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    const HANDLE handle =
        ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool known = ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag);
    ::CloseHandle(handle);
    return known && (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
}

HANDLE openFollowed(const std::wstring &path)
{
    // Backup semantics let a folder be opened too; nothing is read or changed.
    return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

Status status(const QByteArray &path)
{
    const std::wstring name = wide(path);
    const bool link = isLink(name);
    const HANDLE handle = openFollowed(name);
    if (handle == INVALID_HANDLE_VALUE)
        return {.error = int(::GetLastError()), .link = link};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info);
    const DWORD kind = ::GetFileType(handle);
    ::CloseHandle(handle);
    if (!known)
        return {.error = int(::GetLastError())};
    Status status;
    status.type = kind != FILE_TYPE_DISK                               ? Type::Other
                  : (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Type::Folder
                                                                       : Type::File;
    status.device = info.dwVolumeSerialNumber;
    status.node = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    status.link = link;
    return status;
}

QByteArray linkTarget(const QByteArray &path)
{
    const HANDLE handle = openFollowed(wide(path));
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::vector<wchar_t> target(32768);
    const DWORD size = ::GetFinalPathNameByHandleW(handle, target.data(), DWORD(target.size()), FILE_NAME_NORMALIZED);
    ::CloseHandle(handle);
    if (size == 0 || size >= target.size())
        return {};
    QString text = QString::fromWCharArray(target.data(), int(size));
    // "\\?\C:\…" and "\\?\UNC\server\…" as people write them.
    if (text.startsWith(QLatin1String("\\\\?\\UNC\\")))
        text.replace(0, 8, QStringLiteral("\\\\"));
    else if (text.startsWith(QLatin1String("\\\\?\\")))
        text.remove(0, 4);
    return text.toUtf8();
}

// Windows compares names in any case.
Place placeIn(const Status &folder, const QByteArray &name)
{
    return {.device = folder.device, .node = folder.node, .name = QString::fromUtf8(name).toCaseFolded().toUtf8()};
}

int list(const QByteArray &folder, const std::function<bool(const Entry &)> &each)
{
    const HANDLE handle =
        ::CreateFileW(wide(folder).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return int(::GetLastError());
    // Entries come in blocks, each with its file ID: no look at each file is needed.
    std::vector<char> buffer(64 * 1024);
    int error = 0;
    bool more = true;
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo; more; kind = FileIdBothDirectoryInfo) {
        if (!::GetFileInformationByHandleEx(handle, kind, buffer.data(), DWORD(buffer.size()))) {
            const DWORD code = ::GetLastError();
            error = code == ERROR_NO_MORE_FILES ? 0 : int(code);
            break;
        }
        for (const char *at = buffer.data();;) {
            const auto *found = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(at);
            const QString name = QString::fromWCharArray(found->FileName, int(found->FileNameLength / sizeof(WCHAR)));
            if (name != QLatin1String(".") && name != QLatin1String("..")) {
                Entry entry;
                entry.name = name.toUtf8();
                entry.node = quint64(found->FileId.QuadPart);
                if (found->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                    entry.type = Type::Unknown; // a link: what it names is asked of status()
                else if (found->FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    entry.type = Type::Folder;
                else
                    entry.type = Type::File;
                if (!each(entry)) {
                    more = false;
                    break;
                }
            }
            if (found->NextEntryOffset == 0)
                break;
            at += found->NextEntryOffset;
        }
    }
    ::CloseHandle(handle);
    return error;
}

Hold::Hold(const QByteArray &folder, const char *tag)
{
    const HANDLE file = openLockFile(folder);
    if (file == INVALID_HANDLE_VALUE)
        return; // the output's own open reports what is wrong
    handle_ = std::intptr_t(file);
    if (lock(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY)) {
        const QByteArray base = folder.isEmpty() ? QByteArray(".") : folder;
        QList<QByteArray> leftOver;
        list(base, [&](const Entry &entry) {
            if (SafeFile::isTemporaryName(entry.name, tag) && entry.type != Type::Folder)
                leftOver.append(entry.name);
            return true;
        });
        for (const QByteArray &name : leftOver)
            ::DeleteFileW(wide(base + '\\' + name).c_str());
        unlock(file);
    }
    // Another merge may take the lock alone between these two calls; it
    // finds none of this merge's files yet, which are made after.
    lock(file, 0);
}

Hold::~Hold()
{
    if (handle_ == -1)
        return;
    const HANDLE file = HANDLE(handle_);
    unlock(file);
    // The last merge to let go takes the lock file with it.
    if (lock(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY)) {
        FILE_DISPOSITION_INFO gone{TRUE};
        ::SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
    }
    ::CloseHandle(file);
}

Turn::Turn(const QByteArray &folder) : folder_(folder) {}

bool Turn::take()
{
    if (taken_)
        return true;
    const HANDLE file = openLockFile(folder_);
    if (file == INVALID_HANDLE_VALUE)
        return taken_ = true; // the renames report what is wrong
    if (!lock(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, kTurnByte)) {
        ::CloseHandle(file);
        return false;
    }
    handle_ = std::intptr_t(file);
    return taken_ = true;
}

Turn::~Turn()
{
    if (handle_ == -1)
        return;
    unlock(HANDLE(handle_), kTurnByte);
    ::CloseHandle(HANDLE(handle_));
}

} // namespace Folders
