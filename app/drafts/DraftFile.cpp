// Taking a draft's lock, reading the draft without ever waiting on it, and
// deleting it or moving it aside.
#include "app/drafts/DraftFile.h"

#include "platform/FileSystemCalls.h"
#include "survey/ResultFileReader.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

bool isThere(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

DraftFile::DraftFile() = default;

DraftFile::DraftFile(const QString &path) : path_(path), lock_(lockPathOf(path)) {}

QString DraftFile::lockPathOf(const QString &draftPath)
{
    return draftPath + FillingLock::kSuffix.toString();
}

bool DraftFile::exists() const
{
    return isThere(path_);
}

DraftFile::Loaded DraftFile::load() const
{
    Loaded loaded;
    if (!exists())
        return loaded;
    loaded.found = true;
    const ResultFileReader::FileBytes file =
        ResultFileReader::readRegularFile(FileSystemCalls::nativePath(path_), Draft::kMaxBytes);
    switch (file.rejection) {
    case ResultFileReader::Rejection::None:
        loaded.parsed = Draft::fromText(file.bytes);
        break;
    case ResultFileReader::Rejection::TooLarge:
        loaded.parsed.fault = Draft::Fault::NotADraft;
        loaded.parsed.reason = QStringLiteral("文件太大，不是本程序的草稿");
        break;
    default:
        loaded.parsed.fault = Draft::Fault::Damaged;
        loaded.parsed.reason = QStringLiteral("草稿无法读取：%1").arg(file.reason);
        break;
    }
    return loaded;
}

bool DraftFile::remove(FileSystemCalls &calls)
{
    if (!isHeld())
        return false;
    if (exists())
        calls.remove(FileSystemCalls::nativePath(path_));
    return !exists();
}

QString DraftFile::moveAside()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path_ + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; isThere(aside); ++n)
        aside = path_ + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    // A plain rename: a copy (QFile's fallback) would wait for ever on a pipe.
    FileSystemCalls &calls = FileSystemCalls::system();
    return calls.rename(FileSystemCalls::nativePath(path_), FileSystemCalls::nativePath(aside)) == 0 ? aside
                                                                                                     : QString();
}
