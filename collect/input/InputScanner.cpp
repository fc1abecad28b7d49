// The search goes through the Folders seam; a folder that cannot be looked
// at or listed becomes a failure with its reason, never a silent gap.
#include "collect/input/InputScanner.h"

#include "collect/input/FileName.h"
#include "platform/Folders.h"
#include "platform/FileSystemCalls.h"
#include "survey/ResultFileFormat.h"
#include "survey/ResultFileReader.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

// As in the texts of a record: NUL and the like go, a tab stays.
QString withoutControlCharacters(QString text)
{
    for (QChar &c : text)
        if (Survey::isControlCharacter(c.unicode()))
            c = QChar::ReplacementCharacter;
    return text;
}

// The name a named input stands for in the paths: its own last part.
QString ownName(const QString &input)
{
    return QFileInfo(QDir::cleanPath(QFileInfo(input).absoluteFilePath())).fileName();
}

QString joinedPath(const QString &folder, const QString &name)
{
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

} // namespace

bool InputScanner::isDbf(const QByteArray &name)
{
    static const QByteArray extension = FileName::extension().toLower().toUtf8();
    return name.size() > extension.size() && qstrnicmp(name.constData() + name.size() - extension.size(),
                                                       extension.constData(), size_t(extension.size())) == 0;
}

QString InputScanner::decodeName(const QByteArray &name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(name);
    if (!utf8.hasError())
        return withoutControlCharacters(text);
    QString gbk;
    if (ResultFileReader::decodeStrict(name.constData(), name.size(), gbk))
        return withoutControlCharacters(gbk);
    return withoutControlCharacters(text);
}

bool InputScanner::add(const QString &input)
{
    QByteArray native = FileSystemCalls::nativePath(input);
    const QString display = decodeName(FileSystemCalls::nativePath(ownName(input)));
    const Folders::Status status = Folders::status(native);
    if (status.error != 0) {
        failures_.append({display, QStringLiteral("无法打开：") + FileSystemCalls::describe(status.error)});
        return !isCancelled();
    }
    if (status.type == Folders::Type::Folder) {
        while (native.size() > 1 && native.endsWith(Folders::kSeparator))
            native.chop(1);
        return scanFolder(native, display);
    }
    // A file named on its own is read whatever its name.
    addFile(native, display, display, {status.device, status.node});
    return !isCancelled();
}

void InputScanner::addFile(const QByteArray &native, const QString &display, const QString &name, Identity identity)
{
    // The same file reached twice (through a link, or named twice) is one file.
    if (identity.second != 0) {
        if (seenFiles_.contains(identity))
            return;
        seenFiles_.insert(identity);
    }
    if (sink_)
        sink_({native, display, name});
    else
        files_.append({native, display, name});
}

bool InputScanner::scanFolder(const QByteArray &root, const QString &rootDisplay)
{
    // Depth first with a stack of its own: a deep tree cannot exhaust the call
    // stack, and every folder is entered once, so a link back to a parent ends there.
    QList<std::pair<QByteArray, QString>> pending{{root, rootDisplay}};
    while (!pending.isEmpty()) {
        const auto [folder, display] = pending.takeLast();
        const Folders::Status status = Folders::status(folder);
        if (status.error != 0) {
            failures_.append({display, QStringLiteral("无法打开文件夹：") + FileSystemCalls::describe(status.error)});
            continue;
        }
        const Identity identity{status.device, status.node};
        if (seenFolders_.contains(identity))
            continue;
        seenFolders_.insert(identity);

        const int error = Folders::list(folder, [&](const Folders::Entry &entry) {
            if (isCancelled())
                return false;
            if (Folders::isWorkingFile(entry.name) ||
                (!leftOut_.isEmpty() && leftOut_.contains(Folders::placeIn(status, entry.name))))
                return true;
            const QByteArray path = folder + Folders::kSeparator + entry.name;
            const QString name = decodeName(entry.name);
            const QString childDisplay = joinedPath(display, name);
            // The entry's type spares a look at plain files and folders; links
            // and file systems that do not tell need one.
            Folders::Type type = entry.type;
            Identity child{status.device, entry.node};
            if (type == Folders::Type::Unknown) {
                const Folders::Status looked = Folders::status(path);
                type = looked.error != 0 ? Folders::Type::Other : looked.type;
                child = looked.error != 0 ? Identity{0, 0} : Identity{looked.device, looked.node};
                if (looked.link && type == Folders::Type::Folder) {
                    links_.append({childDisplay, decodeName(Folders::linkTarget(path))});
                    return true;
                }
            }
            if (type == Folders::Type::Folder)
                pending.append({path, childDisplay});
            else if (isDbf(entry.name)) // a broken link too: it is listed as unreadable
                addFile(path, childDisplay, name, child);
            else
                others_.append(childDisplay);
            return true;
        });
        if (isCancelled())
            return false;
        if (error != 0)
            failures_.append({display, QStringLiteral("无法读取文件夹：") + FileSystemCalls::describe(error)});
    }
    return !isCancelled();
}

QList<InputScanner::File> InputScanner::files() const
{
    QList<File> sorted = files_;
    std::sort(sorted.begin(), sorted.end(), inPathOrder);
    return sorted;
}

bool InputScanner::inPathOrder(const File &a, const File &b)
{
    // One comparison a pair: sorting 10,000 paths is a step of its own.
    const int order = a.displayPath.compare(b.displayPath);
    return order != 0 ? order < 0 : a.nativePath < b.nativePath;
}
