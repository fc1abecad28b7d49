// The system's own file calls, each passed on unchanged: a test derives from
// it and overrides only the calls it makes fail or watches.
#pragma once

#include "platform/FileSystemCalls.h"

class ForwardingFileSystem : public FileSystemCalls {
public:
    int createTemporary(const QByteArray &prefix, const QByteArray &suffix, Handle &file, QByteArray &path) override
    {
        return real_.createTemporary(prefix, suffix, file, path);
    }
    int writeAll(Handle file, const char *data, std::size_t size) override { return real_.writeAll(file, data, size); }
    int sync(Handle file) override { return real_.sync(file); }
    int close(Handle file) override { return real_.close(file); }
    int checkReplaceable(const QByteArray &path) override { return real_.checkReplaceable(path); }
    int rename(const QByteArray &from, const QByteArray &to) override { return real_.rename(from, to); }
    int syncPath(const QByteArray &path) override { return real_.syncPath(path); }
    void remove(const QByteArray &path) override { real_.remove(path); }

protected:
    FileSystemCalls &real() { return real_; }

private:
    FileSystemCalls &real_ = FileSystemCalls::system();
};
