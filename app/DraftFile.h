// One draft file and the lock that makes it this copy's: while a running copy
// of the program holds a draft, no other copy offers, replaces or deletes it.
#pragma once

#include "app/Draft.h"

#include <QString>
#include <memory>

class QLockFile;

class DraftFile {
public:
    // Holds nothing.
    DraftFile();
    // Takes the lock of the draft at path (the file itself need not exist
    // yet). A lock left by a copy that is no longer running is taken over.
    explicit DraftFile(const QString &path);
    DraftFile(DraftFile &&) noexcept;
    DraftFile &operator=(DraftFile &&) noexcept;
    ~DraftFile(); // lets go of the lock; the draft stays

    bool isHeld() const { return lock_ != nullptr; }
    // Whether the lock could not be taken for a reason other than another copy holding it.
    bool lockRefused() const { return lockRefused_; }
    const QString &path() const { return path_; }
    bool exists() const;

    // The draft read back. found is false when there is no file; otherwise
    // parsed says whether it could be read. Anything but a regular file (a
    // pipe, a device) is refused without waiting on it.
    struct Loaded {
        bool found = false;
        Draft::Parsed parsed;
    };
    Loaded load() const;

    // Deletes the draft; true when none is left.
    bool remove();
    // Moves a draft that cannot be used aside, next to it with a suffix, and
    // returns its new path; the draft itself is never deleted. Empty on failure.
    QString moveAside();

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    bool lockRefused_ = false;
};
