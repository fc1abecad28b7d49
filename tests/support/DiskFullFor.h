// The system's file calls, with the disk full once a named output has taken
// its first bytes: the other outputs of the same run are written as usual.
#pragma once

#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/TestSystem.h"

class DiskFullFor : public ForwardingFileSystem {
public:
    // temporaryOf: the end of the output's path ("r.html").
    explicit DiskFullFor(QByteArray temporaryOf) : target_(std::move(temporaryOf)) {}
    int createTemporary(const QByteArray &prefix, const QByteArray &suffix, Handle &file, QByteArray &path) override
    {
        const int result = real().createTemporary(prefix, suffix, file, path);
        if (result == 0 && creates_++ == index_)
            failing_ = file;
        return result;
    }
    int writeAll(Handle file, const char *data, std::size_t size) override
    {
        if (file == failing_)
            return TestSystem::errorCodes().diskFull;
        return real().writeAll(file, data, size);
    }
    int checkReplaceable(const QByteArray &path) override
    {
        if (path.endsWith(target_))
            index_ = checks_;
        ++checks_;
        return real().checkReplaceable(path);
    }

private:
    QByteArray target_;
    int checks_ = 0;
    int creates_ = 0;
    int index_ = -1;
    Handle failing_ = -1;
};
