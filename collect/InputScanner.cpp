// Finding result files in the inputs.
#include "collect/InputScanner.h"

#include "survey/ResultFileReader.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

std::pair<quint64, quint64> identityOf(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool endsWithIgnoringCase(const QByteArray &name, const QByteArray &stem, const QByteArray &extension)
{
    if (name.size() < stem.size() + extension.size())
        return false;
    const QByteArray tail = name.right(extension.size()).toLower();
    return tail == extension && name.mid(name.size() - extension.size() - stem.size(), stem.size()) == stem;
}

} // namespace

bool InputScanner::isResultFileName(const QByteArray &name)
{
    static const QByteArray utf8Stem = QStringLiteral("_填报结果").toUtf8();
    static const QByteArray gbkStem("_\xCC\xEE\xB1\xA8\xBD\xE1\xB9\xFB");
    return endsWithIgnoringCase(name, utf8Stem, ".dbf") || endsWithIgnoringCase(name, gbkStem, ".dbf");
}

QString InputScanner::decodeName(const QByteArray &name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(name);
    if (!utf8.hasError())
        return text;
    QString gbk;
    if (ResultFileReader::decodeStrict(name.constData(), name.size(), gbk))
        return gbk;
    return text;
}

bool InputScanner::add(const QString &input)
{
    const QByteArray native = QFile::encodeName(input);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        failures_.append({input, QStringLiteral("找不到：") + systemError(errno)});
        return !isCancelled();
    }
    if (S_ISDIR(info.st_mode)) {
        QString display = input;
        while (display.size() > 1 && display.endsWith(QLatin1Char('/')))
            display.chop(1);
        QByteArray folder = native;
        while (folder.size() > 1 && folder.endsWith('/'))
            folder.chop(1);
        return scanFolder(folder, display);
    }
    // A file named on the command line is read whatever its name.
    const qsizetype slash = native.lastIndexOf('/');
    addFile(native, input, decodeName(native.mid(slash + 1)), identityOf(info));
    return !isCancelled();
}

void InputScanner::addFile(const QByteArray &native, const QString &display, const QString &name,
                           std::pair<quint64, quint64> identity)
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
        struct stat info {};
        if (::stat(folder.constData(), &info) != 0)
            continue;
        if (seenFolders_.contains(identityOf(info)))
            continue;
        seenFolders_.insert(identityOf(info));

        DIR *dir = ::opendir(folder.constData());
        if (!dir) {
            failures_.append({display, QStringLiteral("无法打开文件夹：") + systemError(errno)});
            continue;
        }
        while (const dirent *entry = ::readdir(dir)) {
            if (isCancelled()) {
                ::closedir(dir);
                return false;
            }
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QByteArray path = folder + '/' + name;
            const bool resultFile = isResultFileName(name);
            // The folder entry's type spares a stat for plain files and folders;
            // links and file systems that do not tell need one.
            if (entry->d_type == DT_REG) {
                if (resultFile)
                    addFile(path, display + QLatin1Char('/') + decodeName(name), decodeName(name),
                            {quint64(info.st_dev), quint64(entry->d_ino)});
                else
                    ++skipped_;
                continue;
            }
            const QString childDisplay = display + QLatin1Char('/') + decodeName(name);
            if (entry->d_type == DT_DIR) {
                pending.append({path, childDisplay});
                continue;
            }
            struct stat child {};
            if (::stat(path.constData(), &child) != 0) {
                // A broken link named like a result file is listed as unreadable.
                if (resultFile)
                    addFile(path, childDisplay, decodeName(name), {0, 0});
                else
                    ++skipped_;
                continue;
            }
            if (S_ISDIR(child.st_mode))
                pending.append({path, childDisplay});
            else if (resultFile)
                addFile(path, childDisplay, decodeName(name), identityOf(child));
            else
                ++skipped_;
        }
        ::closedir(dir);
    }
    return !isCancelled();
}

QList<InputScanner::File> InputScanner::files() const
{
    QList<File> sorted = files_;
    std::sort(sorted.begin(), sorted.end(), [](const File &a, const File &b) {
        return a.displayPath != b.displayPath ? a.displayPath < b.displayPath : a.nativePath < b.nativePath;
    });
    return sorted;
}
