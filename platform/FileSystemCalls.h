// The operating system's file calls behind every file the program keeps (the
// result file, the drafts, the collector's outputs): POSIX on Linux, Win32 on
// Windows, each in a source file of its own, and in tests a stand-in that
// makes one step fail for a real reason.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

class FileSystemCalls {
public:
    // An open file: a descriptor on POSIX, a HANDLE on Windows.
    using Handle = std::intptr_t;

    virtual ~FileSystemCalls() = default;

    // The calls of the system the program runs on.
    static FileSystemCalls &system();

    // A path as these calls take it: the file system's own bytes on POSIX,
    // UTF-8 on Windows (widened there for the system). Names that are not
    // valid UTF-8 on Linux keep their bytes from the file system on.
    static QByteArray nativePath(const QString &path);
    // The path a program argument names, as nativePath gives it; call once the
    // application exists. POSIX takes argv's bytes (a name need not be valid
    // UTF-8); Windows takes the wide command line (argv is in the ANSI code page).
    static QByteArray nativeArgument(char *argv[], int index);
    // The path for people (undecodable bytes become U+FFFD).
    static QString displayPath(const QByteArray &nativePath);
    // The folder part of a native path, ending with the separator.
    static QByteArray nativeFolderOf(const QByteArray &nativePath);

    // Whether a single file name (no folder) may be created as it stands:
    // it holds no separator and nothing the file system would read as
    // something else (on Windows: <>:"|?* and control characters).
    static bool isPlainFileName(const QString &name);
    // Whether a single file name is longer than any folder of the system
    // takes (255 bytes of the name on POSIX, 255 UTF-16 units on Windows).
    static bool isNameTooLong(const QString &name);

    // What a system error code means, the same words on every system.
    enum class ErrorKind { InvalidName, NameTooLong, AccessDenied, TooManyOpenFiles, DiskFull, Other };
    static ErrorKind kindOf(int code);
    // The reason in Chinese words, for the collector and the drafts
    // ("磁盘空间不足", ...); the code itself for what has no words here.
    static QString describe(int code);

    // Reading a whole file, as the result file reader and the drafts do.
    struct ReadFile {
        int error = 0;           // the system's error code of a failure to open or read
        bool notRegular = false; // a folder, a pipe, a device: refused without waiting on it
        bool tooLarge = false;   // more than the most bytes asked for
        QByteArray bytes;
        qint64 modified = 0; // nanoseconds since the epoch
    };
    // Reads the file when it is a regular file of at most maxBytes. It is
    // opened without waiting, so a pipe named like a file cannot hang the reader.
    static ReadFile readRegularFile(const QByteArray &nativePath, qint64 maxBytes);

    // Each call returns 0 on success or the system's error code (errno on
    // POSIX, GetLastError on Windows).

    // Creates a new, empty, uniquely named file whose native path is prefix (a
    // folder and the start of a name), six random letters or digits, then
    // suffix, and opens it for writing; others may read it. path is the
    // file's whole native path.
    virtual int createTemporary(const QByteArray &prefix, const QByteArray &suffix, Handle &file, QByteArray &path) = 0;
    static constexpr qsizetype kTemporaryRandomLetters = 6;

    // Writes all bytes, unbuffered: a full disk is reported here.
    virtual int writeAll(Handle file, const char *data, std::size_t size) = 0;
    // Has the system write what it holds of the file to the disk and waits
    // for it, so that a power cut after the rename cannot leave it empty.
    virtual int sync(Handle file) = 0;
    // Closes the file, reporting a failure to write what the system still
    // held; the handle is closed whatever the result.
    virtual int close(Handle file) = 0;
    // Fails with the system's "access denied" when a file of that name exists
    // and may not be written; a missing file is fine.
    virtual int checkReplaceable(const QByteArray &path) = 0;
    // Renames from over to in one step, replacing an existing file.
    virtual int rename(const QByteArray &from, const QByteArray &to) = 0;
    // sync for a file or folder given by name: a file that a library wrote by
    // name, and the folder of a renamed file, so that its new entry survives a
    // power cut too (0 at once where the system writes renames through).
    virtual int syncPath(const QByteArray &path) = 0;
    // Removes a file; failures are ignored.
    virtual void remove(const QByteArray &path) = 0;

private:
    // The reasons a system gives that people get words for; each system
    // sorts its own codes into them.
    enum class Reason {
        Unknown,
        NotFound,
        NotAFolder,
        BadName,
        AccessDenied,
        ReadOnly,
        WriteProtected,
        TooManyOpenFiles,
        DiskFull,
        QuotaExceeded,
        IsAFolder,
        NameTooLong,
        TooManyLinks,
        Busy,
        HeldByAnotherProgram,
        Exists,
        DeviceError
    };
    static Reason reasonOf(int code);
    // Reads an opened file that held expectedSize bytes into result, through
    // readSome (bytes read, 0 at the end, -1 with the system's error code),
    // refusing more than maxBytes even when the file grows meanwhile.
    using ReadSome = std::function<qint64(char *into, qint64 most, int &error)>;
    static void readOpened(ReadFile &result, qint64 expectedSize, qint64 maxBytes, const ReadSome &readSome);
};
