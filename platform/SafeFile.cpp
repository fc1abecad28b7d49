#include "platform/SafeFile.h"

#include <algorithm>

namespace {
// Large outputs are written in blocks of this size; smaller ones in one call.
constexpr qsizetype kBufferBytes = 1 << 20;
} // namespace

SafeFile::SafeFile(const QString &target, FileSystemCalls &calls) : SafeFile(FileSystemCalls::nativePath(target), calls)
{
}

SafeFile::SafeFile(const QByteArray &nativeTarget, FileSystemCalls &calls) : calls_(calls), target_(nativeTarget) {}

SafeFile::~SafeFile()
{
    if (!committed_)
        discard();
}

bool SafeFile::check(int code)
{
    if (code != 0 && !failed())
        error_ = code;
    return code == 0;
}

void SafeFile::fail(const QString &reason)
{
    if (!failed())
        reason_ = reason;
}

QString SafeFile::errorText() const
{
    return error_ != 0 ? FileSystemCalls::describe(error_) : reason_;
}

bool SafeFile::isTemporaryName(QByteArrayView name, const char *tag)
{
    constexpr qsizetype kRandomLetters = FileSystemCalls::kTemporaryRandomLetters;
    const QByteArray start = QByteArray(kTemporaryPrefix) + tag + '-';
    if (name.size() != start.size() + kRandomLetters + qsizetype(qstrlen(kTemporarySuffix)) ||
        !name.startsWith(start) || !name.endsWith(kTemporarySuffix))
        return false;
    const QByteArrayView random = name.sliced(start.size(), kRandomLetters);
    return std::all_of(random.begin(), random.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

bool SafeFile::open(const char *tag)
{
    if (failed() || open_)
        return false;
    if (!check(calls_.checkReplaceable(target_)))
        return false;
    // A short name beside the target: the target's own name may be near the
    // file system's limit, and the temporary must not fail for that reason.
    const QByteArray folder = FileSystemCalls::nativeFolderOf(target_) + kTemporaryPrefix + tag + '-';
    if (!check(calls_.createTemporary(folder, kTemporarySuffix, file_, temporary_)))
        return false;
    open_ = true;
    return true;
}

bool SafeFile::flushBuffer()
{
    if (buffer_.isEmpty())
        return true;
    const bool ok = check(calls_.writeAll(file_, buffer_.constData(), std::size_t(buffer_.size())));
    buffer_.truncate(0); // keeps its room for the next bytes
    return ok;
}

bool SafeFile::write(const char *data, qsizetype size)
{
    if (failed() || !open_)
        return false;
    if (buffer_.size() + size > kBufferBytes && !flushBuffer())
        return false;
    if (size > kBufferBytes) // large blocks go straight to the file
        return check(calls_.writeAll(file_, data, std::size_t(size)));
    if (buffer_.capacity() < kBufferBytes && buffer_.size() + size > buffer_.capacity())
        buffer_.reserve(std::min(kBufferBytes, std::max(buffer_.capacity() * 2, buffer_.size() + size)));
    buffer_.append(data, size);
    return true;
}

bool SafeFile::finish()
{
    if (!open_)
        return !failed() && !temporary_.isEmpty();
    if (!failed() && flushBuffer())
        check(calls_.sync(file_));
    open_ = false;
    check(calls_.close(file_)); // closed whatever happened before
    file_ = -1;
    return !failed();
}

bool SafeFile::ready()
{
    if (ready_)
        return !failed();
    if (!finish() || (writtenByName_ && !check(calls_.syncPath(temporary_))))
        return false;
    ready_ = true;
    return true;
}

bool SafeFile::commit(FolderSync folderSync)
{
    if (committed_)
        return true;
    if (!ready() || !check(calls_.rename(temporary_, target_))) {
        discard();
        return false;
    }
    committed_ = true;
    temporary_.clear();
    if (folderSync == FolderSync::Later)
        return true;
    // The new entry in the folder must reach the disk as well: whatever waits
    // for the file (the removal of a draft) waits for this.
    const QByteArray folder = FileSystemCalls::nativeFolderOf(target_);
    return check(calls_.syncPath(folder.isEmpty() ? QByteArray(".") : folder));
}

void SafeFile::discard()
{
    if (open_) {
        calls_.close(file_);
        open_ = false;
        file_ = -1;
    }
    if (!temporary_.isEmpty() && !committed_)
        calls_.remove(temporary_);
    temporary_.clear();
    buffer_.clear();
}
