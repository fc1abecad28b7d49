// Where the drafts live: one file for each filling in the "drafts" folder of
// the user's data folder (never the program's folder, which may be read-only),
// each locked by the running copy that fills it. The single draft.txt that
// earlier versions kept beside that folder counts as one more draft.
#pragma once

#include "app/drafts/DraftFile.h"

#include <QString>
#include <vector>

class DraftFolder {
public:
    // No drafts are kept.
    DraftFolder() = default;
    // The drafts under this data folder.
    explicit DraftFolder(const QString &dataFolder);

    // The user's own data folder for the program; unavailable when the system
    // names none that is absolute and the user's.
    static DraftFolder ofUser();

    bool isUsed() const { return !dataFolder_.isEmpty(); }
    // The user's data folder was asked for and there is none: drafts are off this run.
    bool isUnavailable() const { return unavailable_; }
    // The folder the system named when it is unavailable, for the box that says so.
    const QString &rejectedLocation() const { return rejected_; }

    QString draftsFolder() const;

    // Every draft that no running copy holds, each now held by this copy; and
    // every draft whose lock names another machine, not held (see
    // DraftFile::otherMachine). Locks of killed copies that never wrote their
    // draft are cleared away.
    std::vector<DraftFile> takeOfferable() const;

    // A new draft for a new filling, held by this copy; not held when the
    // folder cannot be made or the lock written (error says why).
    DraftFile takeNew(QString *error = nullptr) const;

    // Makes the folder and those above it; error says why it could not.
    static bool makeFolder(const QString &folder, QString *error);

private:
    QString dataFolder_;
    bool unavailable_ = false;
    QString rejected_;
};
