// The few operating-system calls the result file writer makes, behind one
// interface so that tests can make each of them fail for a real reason.
#pragma once

#include <QByteArray>
#include <cstddef>

class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;

    // Each call returns 0 on success or the system's error code (errno).

    // Creates a new, empty, uniquely named file in the folder (a path in the
    // file system's own encoding, ending with '/') and opens it for writing.
    virtual int createTemporary(const QByteArray &folder, int &fd, QByteArray &path) = 0;
    // Writes all bytes.
    virtual int writeAll(int fd, const char *data, std::size_t size) = 0;
    // Closes the file, reporting a failure to write what was buffered; fd is
    // closed whatever the result.
    virtual int close(int fd) = 0;
    // Fails with EACCES when a file of that name exists and may not be written;
    // a missing file is fine.
    virtual int checkReplaceable(const QByteArray &path) = 0;
    // Renames from over to, replacing an existing file.
    virtual int rename(const QByteArray &from, const QByteArray &to) = 0;
    // Removes a file; failures are ignored.
    virtual void remove(const QByteArray &path) = 0;
};

// The real calls of a POSIX system.
class PosixFileSystem : public FileSystemCalls {
public:
    static PosixFileSystem &instance();

    int createTemporary(const QByteArray &folder, int &fd, QByteArray &path) override;
    int writeAll(int fd, const char *data, std::size_t size) override;
    int close(int fd) override;
    int checkReplaceable(const QByteArray &path) override;
    int rename(const QByteArray &from, const QByteArray &to) override;
    void remove(const QByteArray &path) override;
};
