// The result file writer.
#include "ResultFileWriter.h"

#include "AnswerRecord.h"
#include "FileSystemCalls.h"
#include "Gbk.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>

FileError::FileError(const QString &message, int code)
    : std::runtime_error(message.toStdString()), message_(message), code_(code)
{
}

QString FileError::messageFor(int code)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Invalid filename");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("File access denied");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

ResultFileWriter::ResultFileWriter(const AnswerRecord &record, FileSystemCalls &calls, const QString &programFolder)
    : record_(record), calls_(calls), folder_(programFolder)
{
}

QString ResultFileWriter::programFolder()
{
    // The executable's own folder, never the working folder.
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QString ResultFileWriter::fileNameFor(const QString &enterpriseName)
{
    return enterpriseName + kFileNameSuffix;
}

QByteArray ResultFileWriter::content() const
{
    QByteArray bytes;
    bytes.reserve(AnswerRecord::kSlotCount * 16);
    for (int slot = 1; slot <= AnswerRecord::kSlotCount; ++slot) {
        bool ok = true;
        bytes += Gbk::encode(record_.get(slot), &ok);
        if (!ok) // the text fields keep such characters out; never write a line that differs from the answer
            throw FileError(QStringLiteral("Line %1 holds a character that GBK cannot represent").arg(slot), EILSEQ);
        bytes += "\r\n";
    }
    return bytes;
}

QString ResultFileWriter::write()
{
    const QString name = fileNameFor(record_.get(1));
    // The file never leaves the program folder.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        throw FileError(FileError::messageFor(ENOENT), ENOENT);

    const QString path = folder_ + name;
    const QByteArray data = content();
    const QByteArray folderBytes = QFile::encodeName(folder_);
    const QByteArray pathBytes = QFile::encodeName(path);

    auto fail = [](int code) { throw FileError(FileError::messageFor(code), code); };

    if (int code = calls_.checkReplaceable(pathBytes))
        fail(code);

    int fd = -1;
    QByteArray temporary;
    if (int code = calls_.createTemporary(folderBytes, fd, temporary))
        fail(code);

    int code = calls_.writeAll(fd, data.constData(), std::size_t(data.size()));
    const int closeCode = calls_.close(fd);
    if (code == 0)
        code = closeCode;
    if (code == 0)
        code = calls_.rename(temporary, pathBytes);
    if (code != 0) {
        calls_.remove(temporary);
        fail(code);
    }
    return path;
}
