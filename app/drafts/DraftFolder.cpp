// Finding the user's data folder, the drafts no running copy holds, and a
// unique name for a new filling's draft.
#include "app/drafts/DraftFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace {

const QString kLegacyDraft = QStringLiteral("draft.txt");
const QString kDraftsFolder = QStringLiteral("drafts");
const QString kDraftPattern = QStringLiteral("*.txt");

} // namespace

DraftFolder::DraftFolder(const QString &dataFolder) : dataFolder_(dataFolder) {}

DraftFolder DraftFolder::ofUser()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // Qt takes a relative XDG_DATA_HOME as it stands, which puts the drafts
    // under whatever the working folder is; and without a home folder it
    // builds the path under the root ("//.local/share/..."). Neither is the user's.
    const bool homeless = QDir::homePath() == QDir::rootPath();
    if (location.isEmpty() || QDir::isRelativePath(location) ||
        (homeless && location.startsWith(QDir::homePath() + QLatin1Char('/')))) {
        DraftFolder none;
        none.unavailable_ = true;
        none.rejected_ = location;
        return none;
    }
    return DraftFolder(location);
}

QString DraftFolder::draftsFolder() const
{
    return isUsed() ? QDir(dataFolder_).filePath(kDraftsFolder) : QString();
}

std::vector<DraftFile> DraftFolder::takeOfferable() const
{
    std::vector<DraftFile> offered;
    if (!isUsed())
        return offered;
    const auto offerable = [](const DraftFile &file) { return file.isHeld() || !file.otherMachine().isEmpty(); };
    const QDir drafts(draftsFolder());
    // System files too: a pipe or a device in a draft's place is found, and moved aside.
    for (const QString &name :
         drafts.entryList({kDraftPattern}, QDir::Files | QDir::System | QDir::Hidden, QDir::Name)) {
        DraftFile file(drafts.filePath(name));
        if (offerable(file))
            offered.push_back(std::move(file));
    }
    // The one draft of earlier versions; its lock is only tried where it is.
    const QString legacyPath = QDir(dataFolder_).filePath(kLegacyDraft);
    if (QFileInfo::exists(legacyPath) || QFileInfo(legacyPath).isSymLink()) {
        DraftFile legacy(legacyPath);
        if (offerable(legacy))
            offered.push_back(std::move(legacy));
    }

    // A copy killed before its first write leaves a lock and no draft.
    const QString lockSuffix = FillingLock::kSuffix.toString();
    for (const QString &lock : drafts.entryList({kDraftPattern + lockSuffix}, QDir::Files | QDir::Hidden)) {
        const QString draft = drafts.filePath(lock.chopped(lockSuffix.size()));
        if (!QFileInfo::exists(draft))
            FillingLock::clearLeftover(DraftFile::lockPathOf(draft));
    }
    return offered;
}

DraftFile DraftFolder::takeNew(QString *error) const
{
    const QString folder = draftsFolder();
    if (!isUsed() || !makeFolder(folder, error))
        return {};
    const QDir drafts(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // The time first, so that a listing shows the fillings in the order they began.
        const QString name =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
            QString::number(QRandomGenerator::global()->bounded(0x1000000), 16).rightJustified(6, u'0') +
            QStringLiteral(".txt");
        DraftFile file(drafts.filePath(name));
        if (file.isHeld() && !file.exists())
            return file;
        if (file.lockRefused())
            break;
    }
    if (error)
        *error = QStringLiteral("无法在文件夹 %1 中建立草稿").arg(QDir::toNativeSeparators(folder));
    return {};
}

bool DraftFolder::makeFolder(const QString &folder, QString *error)
{
    if (!folder.isEmpty() && QDir().mkpath(folder))
        return true;
    if (error)
        *error = QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder));
    return false;
}
