// Output folders are held (see Folders::Hold) for as long as the set lives.
#include "collect/merge/OutputSet.h"

#include "collect/merge/RunControl.h"
#include "platform/Console.h"
#include "platform/FileSystemCalls.h"
#include "platform/SafeFile.h"

#include <QThread>
#include <algorithm>

OutputSet::OutputSet() = default;

OutputSet::~OutputSet()
{
    clear();
}

OutputSet::Output &OutputSet::add(const QString &path, const Format *format, Content content)
{
    auto output = std::make_unique<Output>();
    output->path = path;
    output->format = format;
    output->content = content;
    outputs_.push_back(std::move(output));
    return *outputs_.back();
}

void OutputSet::plan(const QStringList &dataSets, const QStringList &codebooks, const QStringList &problems,
                     const QStringList &checks, const QStringList &reports, std::span<const Format> formats)
{
    clear();
    QStringList companions;
    for (const QString &path : dataSets) {
        const Format *format = Formats::of(formats, path);
        Output &output = add(path, format, Content::DataSet);
        if (!format || format->companionSuffix.isEmpty())
            continue;
        output.companion = Formats::companionPath(*format, path);
        if (!companions.contains(output.companion)) {
            companions << output.companion;
            add(output.companion, &Formats::values(), Content::DataSet);
        }
    }
    for (const QString &path : codebooks)
        add(path, Formats::of(formats, path), Content::Codebook);
    for (const QString &path : problems)
        add(path, Formats::of(formats, path), Content::Problems);
    for (const QString &path : checks)
        add(path, Formats::of(formats, path), Content::Checks);
    for (const QString &path : reports)
        add(path, nullptr, Content::Report);
}

QStringList OutputSet::start(FileSystemCalls &files)
{
    files_ = &files;
    for (const std::unique_ptr<Output> &output : outputs_) {
        const QByteArray folder = FileSystemCalls::nativeFolderOf(FileSystemCalls::nativePath(output->path));
        if (!folders_.contains(folder)) {
            folders_ << folder;
            holds_.push_back(std::make_unique<Folders::Hold>(folder, Folders::kTemporaryTag));
        }
    }
    QStringList errors;
    for (const std::unique_ptr<Output> &output : outputs_) {
        const Format *format = output->format;
        if (output->content != Content::Report) {
            if (!format || !format->holds(output->content)) {
                errors << failure(output->path, QStringLiteral("不认识的文件格式"));
                continue;
            }
            if (!format->builtIn) {
                errors << failure(output->path, QStringLiteral("这个版本不能写出 %1").arg(format->fileWords()));
                continue;
            }
            if (const QString why = format->refusal ? format->refusal(output->path) : QString(); !why.isEmpty()) {
                errors << failure(output->path, why);
                continue;
            }
        }
        output->file = std::make_unique<SafeFile>(output->path, files);
        if (!output->file->open(Folders::kTemporaryTag))
            errors << failure(output->path, output->file->errorText());
    }
    return errors;
}

QSet<Folders::Place> OutputSet::places() const
{
    QSet<Folders::Place> places;
    for (const std::unique_ptr<Output> &output : outputs_)
        places.insert(Folders::placeOf(FileSystemCalls::nativePath(output->path)));
    return places;
}

// Every folder's turn, taken in one order that every merge follows (the
// folders' identities), so that two merges never wait for each other; once
// for a folder named by two paths, which would otherwise wait for itself.
bool OutputSet::takeTurns(RunControl &control, Turns &turns) const
{
    constexpr int kPollMs = 50;
    using Identity = std::pair<quint64, quint64>;
    QList<std::pair<Identity, QByteArray>> order;
    for (const QByteArray &folder : folders_) {
        const Folders::Status status = Folders::status(folder.isEmpty() ? QByteArray(".") : folder);
        order.append({{status.device, status.node}, folder});
    }
    std::sort(order.begin(), order.end());
    for (qsizetype i = 0; i < order.size(); ++i) {
        const auto &[identity, folder] = order[i];
        if (i > 0 && identity != Identity{0, 0} && identity == order[i - 1].first)
            continue;
        turns.push_back(std::make_unique<Folders::Turn>(folder));
        for (bool told = false; !turns.back()->take();) {
            if (!told)
                control.waiting(FileSystemCalls::displayPath(folder.isEmpty() ? QByteArray(".") : folder));
            told = true;
            if (control.isCancelled())
                return false;
            QThread::msleep(kPollMs);
        }
    }
    return true;
}

OutputSet::Commit OutputSet::commit(RunControl &control, QStringList &errors)
{
    for (const std::unique_ptr<Output> &output : outputs_)
        if (!output->file->ready())
            errors << failure(output->path, output->file->errorText());
    if (!errors.isEmpty())
        return Commit::Failed;
    Turns turns; // let go of once the folders are synced
    if (!takeTurns(control, turns))
        return Commit::Cancelled;
    {
        // Nothing slow in here: the renames, one after the other.
        const Console::InterruptsHeld held;
        if (!held.inTime() || control.isCancelled())
            return Commit::Cancelled;
        for (const std::unique_ptr<Output> &output : outputs_)
            if (!output->file->commit(SafeFile::FolderSync::Later))
                errors << failure(output->path, output->file->errorText());
    }
    // The new entries must reach the disk too; once each folder's.
    for (const QByteArray &folder : folders_) {
        const int error = files_->syncPath(folder.isEmpty() ? QByteArray(".") : folder);
        if (error != 0)
            errors << failure(FileSystemCalls::displayPath(folder), FileSystemCalls::describe(error));
    }
    return errors.isEmpty() ? Commit::Done : Commit::Failed;
}

void OutputSet::clear()
{
    outputs_.clear();
    holds_.clear();
    folders_.clear();
}

QString OutputSet::failure(const QString &path, const QString &why)
{
    QString shown = path;
    shown.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return QStringLiteral("无法写入“%1”：%2").arg(shown, why);
}

bool writeFileAlone(const QString &path, const QByteArray &bytes, QString &error, FileSystemCalls *files)
{
    const Folders::Hold hold(FileSystemCalls::nativeFolderOf(FileSystemCalls::nativePath(path)),
                             Folders::kTemporaryTag);
    SafeFile file(path, files ? *files : FileSystemCalls::system());
    if (file.open(Folders::kTemporaryTag) && file.write(bytes) && file.commit())
        return true;
    error = file.errorText();
    return false;
}
