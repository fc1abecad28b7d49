// One draft file and the lock that makes it this copy's: while a running copy
// of the program holds a draft, no other copy offers, replaces or deletes it.
#pragma once

#include "app/drafts/Draft.h"
#include "app/drafts/FillingLock.h"
#include "platform/FileSystemCalls.h"

#include <QString>

class DraftFile {
public:
    // Holds nothing.
    DraftFile();
    // Takes the lock of the draft at path (the file itself need not exist
    // yet). A lock left by a copy that is no longer running is taken over.
    explicit DraftFile(const QString &path);
    // Letting go of it (the destructor) leaves the draft where it is.

    // The lock file of the draft at path.
    static QString lockPathOf(const QString &draftPath);

    bool isHeld() const { return lock_.isHeld(); }
    // Whether the lock could not be taken for a reason other than another copy holding it.
    bool lockRefused() const { return lock_.isRefused(); }
    // The other machine whose copy may be filling this draft (see FillingLock).
    const QString &otherMachine() const { return lock_.otherMachine(); }
    // Takes the draft over from another machine, on the person's word.
    bool takeOver() { return lock_.takeOver(); }
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

    // Deletes the draft this copy holds; true when none is left.
    bool remove(FileSystemCalls &calls = FileSystemCalls::system());
    // Moves a draft that cannot be used aside, next to it with a suffix, and
    // returns its new path; the draft itself is never deleted. Empty on failure.
    QString moveAside();

private:
    QString path_;
    FillingLock lock_;
};
