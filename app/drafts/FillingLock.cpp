// Taking a lock file, telling who holds it, and taking over another machine's.
#include "app/drafts/FillingLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QSysInfo>

namespace {

// This machine as lock files name it, asked of a lock of its own: Qt need not
// name a machine as QSysInfo does (Windows has two names for one).
const QString &thisMachine()
{
    static const QString name = [] {
        QLockFile probe(
            QDir::temp().filePath(QStringLiteral("csr-survey-%1.probe").arg(QCoreApplication::applicationPid())));
        qint64 process = 0;
        QString machine, application;
        if (probe.tryLock(0) && probe.getLockInfo(&process, &machine, &application))
            return machine;
        return QSysInfo::machineHostName();
    }();
    return name;
}

} // namespace

FillingLock::FillingLock() = default;
FillingLock::FillingLock(FillingLock &&) noexcept = default;
FillingLock &FillingLock::operator=(FillingLock &&) noexcept = default;
FillingLock::~FillingLock() = default;

FillingLock::FillingLock(const QString &path) : lock_(std::make_unique<QLockFile>(path))
{
    // Qt counts a lock older than 30 s as stale by default, a live copy's too.
    lock_->setStaleLockTime(0);
    held_ = lock_->tryLock(0);
    if (!held_)
        noteHolder();
}

void FillingLock::noteHolder()
{
    const QLockFile::LockError error = lock_->error();
    refused_ = error == QLockFile::PermissionError || error == QLockFile::UnknownError;
    qint64 process = 0;
    QString machine, application;
    if (refused_ || !lock_->getLockInfo(&process, &machine, &application))
        return;
    if (!machine.isEmpty() && machine != thisMachine())
        otherMachine_ = machine;
    else
        holderProcess_ = process;
}

bool FillingLock::takeOver()
{
    if (held_)
        return true;
    if (!lock_ || !lock_->removeStaleLockFile())
        return false;
    held_ = lock_->tryLock(0);
    if (held_) {
        otherMachine_.clear();
        holderProcess_ = 0;
    } else {
        noteHolder();
    }
    return held_;
}

void FillingLock::clearLeftover(const QString &path)
{
    [[maybe_unused]] const FillingLock lock(path); // taken and let go of at once, or left to its holder
}
