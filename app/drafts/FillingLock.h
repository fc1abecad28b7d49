// The lock that makes a filling this running copy's: its draft's, and the
// result file it corrects. Only a copy that is still running holds one, however
// long it runs: a killed copy's lock is taken over at once. A lock written on
// another machine cannot be checked from here; it is taken over only on the
// person's word.
#pragma once

#include <QString>
#include <QStringView>
#include <memory>

class QLockFile;

class FillingLock {
public:
    // Every lock file's name ends with this.
    static constexpr QStringView kSuffix = u".lock";

    // Holds nothing.
    FillingLock();
    // Tries to take the lock file at path.
    explicit FillingLock(const QString &path);
    FillingLock(FillingLock &&) noexcept;
    FillingLock &operator=(FillingLock &&) noexcept;
    ~FillingLock(); // lets go of it

    bool isHeld() const { return held_; }
    // Whether the lock could not be written for a reason other than a holder.
    bool isRefused() const { return refused_; }
    // The machine named by the lock that another copy holds, when it is not
    // this one; empty otherwise.
    const QString &otherMachine() const { return otherMachine_; }
    // The process of the copy that holds it on this machine, or 0.
    qint64 holderProcess() const { return holderProcess_; }

    // Takes over the lock of another machine, once the person has said that
    // the copy there no longer runs.
    bool takeOver();

    // Removes a lock that a killed copy left and nothing else holds: takes it
    // and lets go of it at once. A live copy's lock stays.
    static void clearLeftover(const QString &path);

private:
    void noteHolder();

    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
    bool refused_ = false;
    QString otherMachine_;
    qint64 holderProcess_ = 0;
};
