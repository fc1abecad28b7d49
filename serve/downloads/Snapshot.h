// One moment of what counts now, as files: each current submission's bytes
// written under its received name made safe, dated when it was received, and
// the findings collectors marked as checked, by file. Read in one read
// transaction, so that uploads and reviews arriving meanwhile are either all
// in it or not at all.
#pragma once

#include "serve/store/Store.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace Serve::Downloads {

// What changes every download: a new submission, a review, a checked finding.
// Read alone it is cheap; read inside the snapshot's transaction it names that moment.
QString changeKey(Store &store, QString *error);

struct Snapshot {
    QString key;   // changeKey() at the moment read
    qsizetype files = 0;
    QHash<QString, QSet<QString>> checked; // by file name: the verdict's keys of the checked findings
};

// The name a file is kept under in a folder of them: the received name's
// last part, without what a file system or unzip would take for something
// else, ending in .dbf; the enterprise's when nothing of it is left.
QString safeName(const QString &received, const QString &enterprise, qint64 id);
// Two names that would be one file (in any case) get a number: "甲_填报结果-2.dbf".
QString unusedName(const QString &name, QSet<QString> &taken);

// Puts every current file into folder (which exists and is empty), each a
// link to its copy in cache (made the first time; cache is on the same file
// system); progress(done, total) after each. False with why in error.
bool writeSnapshot(Store &store, const QString &cache, const QString &folder, Snapshot &snapshot,
                   const std::function<void(qsizetype, qsizetype)> &progress, QString *error);

} // namespace Serve::Downloads
