// Writes the record as the result file: named after line 1, beside the
// program, CP936 lines ended by CR LF, the system's errors put in the
// survey's words.
#include "survey/ResultFileWriter.h"

#include "survey/AnswerRecord.h"
#include "platform/FileSystemCalls.h"
#include "platform/Gbk.h"
#include "survey/ResultFileFormat.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <cerrno>

FileError::FileError(const QString &message, int code)
    : std::runtime_error(message.toStdString()), message_(message), code_(code)
{
}

QString FileError::messageFor(int code)
{
    return messageFor(FileSystemCalls::kindOf(code), code);
}

QString FileError::messageFor(FileSystemCalls::ErrorKind kind, int code)
{
    switch (kind) {
    case FileSystemCalls::ErrorKind::InvalidName:
        return QStringLiteral("Invalid filename");
    case FileSystemCalls::ErrorKind::NameTooLong:
        // The system's "I/O error 36" would tell the person nothing.
        return QStringLiteral("企业注册全称太长，不能用作结果文件的文件名。"
                              "请按“上一步”回到第一页，把企业注册全称改短一些，再按“保存退出”。");
    case FileSystemCalls::ErrorKind::AccessDenied:
        return QStringLiteral("File access denied");
    case FileSystemCalls::ErrorKind::TooManyOpenFiles:
        return QStringLiteral("Too many open files");
    case FileSystemCalls::ErrorKind::DiskFull:
    case FileSystemCalls::ErrorKind::Other:
        break;
    }
    return QStringLiteral("I/O error %1").arg(code);
}

ResultFileWriter::ResultFileWriter(const AnswerRecord &record, FileSystemCalls &calls, const QString &programFolder)
    : record_(record), calls_(calls), folder_(programFolder)
{
}

QString ResultFileWriter::programFolder()
{
    // The executable's own folder, never the working folder; in the system's
    // own form, as the saved-as message shows it (D:\调研\ on Windows).
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

QString ResultFileWriter::fileNameFor(const QString &enterpriseName)
{
    return enterpriseName + Survey::kResultFileSuffix.toString();
}

qint64 ResultFileWriter::sizeOf(const AnswerRecord &record)
{
    qint64 bytes = 0;
    for (int slot = 1; slot <= AnswerRecord::kSlotCount; ++slot)
        bytes += Gbk::encode(record.get(slot)).size() + 2;
    return bytes;
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

QString ResultFileWriter::path() const
{
    return folder_ + fileNameFor(record_.get(Survey::kEnterpriseNameLine));
}

QString ResultFileWriter::write()
{
    const QString name = fileNameFor(record_.get(Survey::kEnterpriseNameLine));
    // The file never leaves the program folder, and never becomes something
    // else than a plain file there.
    if (!FileSystemCalls::isPlainFileName(name))
        throw FileError(QStringLiteral("Invalid filename"), 0);
    // Refused here too where a system would shorten the name without a word.
    if (FileSystemCalls::isNameTooLong(name))
        throw FileError(FileError::messageFor(FileSystemCalls::ErrorKind::NameTooLong, 0), 0);

    const QString path = folder_ + name;
    const QByteArray data = content();
    SafeFile file(path, calls_);
    if (!file.open("survey") || !file.write(data) || !file.commit())
        throw FileError(FileError::messageFor(file.errorCode()), file.errorCode());
    return path;
}
