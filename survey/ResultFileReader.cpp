// Reading a result file back: framing, strict GBK decoding and the size limit.
#include "ResultFileReader.h"

#include "LineMap.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ResultFileReader {
namespace {

// One converter per thread: the collector reads on several threads, and a
// shared converter would need a lock around every line.
class StrictDecoder {
public:
    StrictDecoder()
        : handle_(iconv_open(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE", "CP936"))
    {
    }
    ~StrictDecoder()
    {
        if (valid())
            iconv_close(handle_);
    }
    StrictDecoder(const StrictDecoder &) = delete;
    StrictDecoder &operator=(const StrictDecoder &) = delete;

    // False when a byte sequence has no GBK meaning. Unlike Gbk::decode, nothing
    // is skipped: a file that does not decode whole is not a result file.
    bool decode(const char *data, qsizetype size, QString &out)
    {
        if (!valid())
            return false;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        // Every GBK character takes at least one byte and gives one UTF-16 unit.
        out.resize(size);
        char *src = const_cast<char *>(data);
        size_t srcLeft = size_t(size);
        char *dst = reinterpret_cast<char *>(out.data());
        size_t dstLeft = size_t(size) * 2;
        if (iconv(handle_, &src, &srcLeft, &dst, &dstLeft) == size_t(-1) || srcLeft != 0)
            return false;
        out.resize(qsizetype(size_t(size) - dstLeft / 2));
        return true;
    }

private:
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle_;
};

bool isAscii(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

Result reject(Rejection rejection, int line, const QString &reason)
{
    Result r;
    r.rejection = rejection;
    r.line = line;
    r.reason = reason;
    return r;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

bool decodeStrict(const char *data, qsizetype size, QString &out)
{
    if (isAscii(data, size)) {
        out = QString::fromLatin1(data, size);
        return true;
    }
    thread_local StrictDecoder decoder;
    return decoder.decode(data, size, out);
}

Result parse(const QByteArray &bytes)
{
    if (bytes.size() > kMaxBytes)
        return reject(Rejection::TooLarge, 0, QStringLiteral("文件大于 64 KiB，不是填报结果文件"));
    if (bytes.isEmpty())
        return reject(Rejection::Framing, 0, QStringLiteral("文件是空的"));

    // Framing first, over the whole file: where every line starts and ends.
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype starts[Survey::kLineCount + 1];
    int count = 0;
    qsizetype start = 0;
    while (start < size) {
        const void *found = std::memchr(data + start, '\n', size_t(size - start));
        const qsizetype newline = found ? static_cast<const char *>(found) - data : -1;
        // The line's text runs from start to the CR in front of the LF, and
        // holds neither a CR nor an LF of its own.
        const bool endsWithCrLf = newline > start && data[newline - 1] == '\r';
        if (!endsWithCrLf || std::memchr(data + start, '\r', size_t(newline - 1 - start))) {
            return reject(Rejection::Framing, count + 1,
                          QStringLiteral("第 %1 行没有以回车换行（CR LF）结束").arg(count + 1));
        }
        if (count == Survey::kLineCount)
            return reject(Rejection::Framing, 0, QStringLiteral("文件多于 %1 行").arg(Survey::kLineCount));
        starts[count++] = start;
        start = newline + 1;
    }
    if (count != Survey::kLineCount)
        return reject(Rejection::Framing, 0,
                      QStringLiteral("文件只有 %1 行，应为 %2 行").arg(count).arg(Survey::kLineCount));
    starts[count] = size;

    Result r;
    r.lines.reserve(Survey::kLineCount);
    for (int i = 0; i < Survey::kLineCount; ++i) {
        const char *line = data + starts[i];
        const qsizetype length = starts[i + 1] - starts[i] - 2;
        QString text;
        if (!decodeStrict(line, length, text))
            return reject(Rejection::NotGbk, i + 1, QStringLiteral("第 %1 行含有不是 GBK 编码的字节").arg(i + 1));
        r.lines.append(text);
    }
    r.bytes = bytes;
    return r;
}

Result read(const QString &path)
{
    return readNative(QFile::encodeName(path));
}

Result readNative(const QByteArray &nativePath)
{
    // Non-blocking, so that a pipe or device named like a result file cannot
    // make the reader wait; anything but a regular file is refused below.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return reject(Rejection::Unreadable, 0, QStringLiteral("无法打开文件：") + systemError(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return reject(Rejection::Unreadable, 0, QStringLiteral("无法读取文件：") + systemError(errno));
    if (!S_ISREG(info.st_mode))
        return reject(Rejection::Unreadable, 0, QStringLiteral("不是普通文件"));
    if (info.st_size > kMaxBytes)
        return reject(Rejection::TooLarge, 0, QStringLiteral("文件大于 64 KiB，不是填报结果文件"));

    // One byte past the limit tells a file that grew since fstat.
    thread_local char buffer[kMaxBytes + 1];
    qsizetype got = 0;
    while (got < qsizetype(sizeof buffer)) {
        const ssize_t n = ::read(fd, buffer + got, sizeof buffer - size_t(got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return reject(Rejection::Unreadable, 0, QStringLiteral("无法读取文件：") + systemError(errno));
        }
        if (n == 0)
            break;
        got += n;
    }
    return parse(QByteArray(buffer, got));
}

} // namespace ResultFileReader
