// What the file seam says the same way on every system: the words for a
// failure, and reading a whole file that is already open.
#include "platform/FileSystemCalls.h"

#include <algorithm>

QString FileSystemCalls::describe(int code)
{
    switch (reasonOf(code)) {
    case Reason::NotFound:
        return QStringLiteral("文件或文件夹不存在");
    case Reason::NotAFolder:
        return QStringLiteral("路径中有一部分不是文件夹");
    case Reason::BadName:
        return QStringLiteral("文件名中有不允许的字符");
    case Reason::AccessDenied:
        return QStringLiteral("没有访问权限");
    case Reason::ReadOnly:
        return QStringLiteral("文件系统只读");
    case Reason::WriteProtected:
        return QStringLiteral("磁盘写保护");
    case Reason::TooManyOpenFiles:
        return QStringLiteral("打开的文件太多");
    case Reason::DiskFull:
        return QStringLiteral("磁盘空间不足");
    case Reason::QuotaExceeded:
        return QStringLiteral("超出磁盘配额");
    case Reason::IsAFolder:
        return QStringLiteral("这是一个文件夹");
    case Reason::NameTooLong:
        return QStringLiteral("文件名或路径太长");
    case Reason::TooManyLinks:
        return QStringLiteral("符号链接层数太多");
    case Reason::Busy:
        return QStringLiteral("文件正被占用");
    case Reason::HeldByAnotherProgram:
        return QStringLiteral("文件正被其他程序占用");
    case Reason::Exists:
        return QStringLiteral("文件已存在");
    case Reason::DeviceError:
        return QStringLiteral("读写设备出错");
    case Reason::Unknown:
        break;
    }
    return QStringLiteral("系统错误 %1").arg(code);
}

void FileSystemCalls::readOpened(ReadFile &result, qint64 expectedSize, qint64 maxBytes, const ReadSome &readSome)
{
    if (expectedSize > maxBytes) {
        result.tooLarge = true;
        return;
    }
    // One byte past the size tells a file that grew since its size was taken.
    QByteArray &bytes = result.bytes;
    bytes.resize(qsizetype(expectedSize) + 1);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxBytes) {
                result.tooLarge = true;
                bytes.clear();
                return;
            }
            bytes.resize(std::min<qsizetype>(maxBytes + 1, got * 2));
        }
        const qint64 n = readSome(bytes.data() + got, bytes.size() - got, result.error);
        if (n < 0) {
            bytes.clear();
            return;
        }
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    bytes.truncate(got);
}
