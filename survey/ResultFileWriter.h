// The result file writer: the answer record as 139 GBK lines in the program folder.
#pragma once

#include "platform/FileSystemCalls.h"

#include <QString>
#include <stdexcept>

class AnswerRecord;

// A failure to create or write the result file. Its message is one of the
// fixed texts the data collectors know ("Invalid filename", ...).
class FileError : public std::runtime_error {
public:
    FileError(const QString &message, int code);
    const QString &message() const { return message_; }
    int code() const { return code_; }

    // The fixed text for a system error code (or words where the code would
    // tell the person nothing).
    static QString messageFor(int code);
    static QString messageFor(FileSystemCalls::ErrorKind kind, int code);

private:
    QString message_;
    int code_;
};

class ResultFileWriter {
public:
    // programFolder ends with a separator.
    ResultFileWriter(const AnswerRecord &record, FileSystemCalls &calls, const QString &programFolder);

    // The folder that holds the running program, ending with the system's separator.
    static QString programFolder();

    // Slot 1's text, unchanged, followed by the suffix.
    static QString fileNameFor(const QString &enterpriseName);

    // The whole file content: each slot's GBK bytes followed by CR LF.
    QByteArray content() const;
    // The size of the file the record gives, line by line, without building the whole of it.
    static qint64 sizeOf(const AnswerRecord &record);

    // The full path of the file write() writes.
    QString path() const;

    // Writes the file and returns its full path. The file appears complete or
    // not at all: an earlier file of the same name stays as it was on failure.
    // Throws FileError.
    QString write();

private:
    const AnswerRecord &record_;
    FileSystemCalls &calls_;
    QString folder_;
};
