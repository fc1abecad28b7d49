// Writing an output through a temporary file and a rename.
#include "collect/SafeOutput.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qsizetype kBufferBytes = 1 << 20;
}

SafeOutput::SafeOutput(const QString &target) : target_(target), targetNative_(QFile::encodeName(target)) {}

SafeOutput::~SafeOutput()
{
    if (!committed_)
        discard();
}

void SafeOutput::fail(const QString &why)
{
    if (error_.isEmpty())
        error_ = QStringLiteral("无法写入“%1”：%2").arg(target_, why);
}

void SafeOutput::failWith(int code)
{
    fail(QString::fromLocal8Bit(std::strerror(code)));
}

bool SafeOutput::open()
{
    struct stat info {};
    if (::stat(targetNative_.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        fail(QStringLiteral("这是一个文件夹"));
        return false;
    }
    // A short name beside the target: the target's own name may be near the
    // file system's limit. Hidden, so that a half-written file is not opened by mistake.
    const QByteArray folder = QFile::encodeName(QFileInfo(target_).absolutePath());
    QByteArray pattern = folder + "/.csr-collect-XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        failWith(errno);
        return false;
    }
    ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
    temporary_ = pattern;
    // Readable like any other file the collector keeps.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
    buffer_.reserve(kBufferBytes);
    return true;
}

bool SafeOutput::writeAll(const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failWith(errno);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool SafeOutput::flush()
{
    const bool ok = writeAll(buffer_.constData(), buffer_.size());
    buffer_.truncate(0); // keeps its room for the next bytes
    return ok;
}

bool SafeOutput::write(const char *data, qsizetype size)
{
    if (failed() || fd_ < 0)
        return false;
    if (buffer_.size() + size > kBufferBytes && !flush())
        return false;
    if (size > kBufferBytes)
        return writeAll(data, size); // large blocks go straight to the file
    buffer_.append(data, size);
    return true;
}

bool SafeOutput::finish()
{
    if (fd_ < 0)
        return !failed();
    if (!failed())
        flush();
    if (::close(fd_) != 0 && errno != EINTR)
        failWith(errno);
    fd_ = -1;
    return !failed();
}

bool SafeOutput::commit()
{
    if (!finish() || temporary_.isEmpty())
        return false;
    if (::rename(temporary_.constData(), targetNative_.constData()) != 0) {
        failWith(errno);
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

void SafeOutput::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty() && !committed_)
        ::unlink(temporary_.constData());
    temporary_.clear();
}
