// The outputs of one merge, written together: each gets a hidden temporary
// file beside it before a single input is read (so that an output that cannot
// be written stops the run at once), and all are put in place only when every
// one of them, the reports included, has been written whole, in one short
// step that an interrupt does not split. Until then, and after a failure or a
// cancel, nothing earlier is replaced, and no temporary file outlives the set.
#pragma once

#include "collect/export/Formats.h"
#include "platform/Folders.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

class FileSystemCalls;
class RunControl;
class SafeFile;

class OutputSet {
public:
    // A report is written by the caller (see Merge::reports()), in no format of the table.
    using Content = OutputContent;

    struct Output {
        QString path;
        const Format *format = nullptr; // nullptr: no format has its extension
        Content content = Content::DataSet;
        QString companion; // the syntax files: the values CSV they read
        std::unique_ptr<SafeFile> file;
    };

    OutputSet();
    ~OutputSet();
    OutputSet(const OutputSet &) = delete;
    OutputSet &operator=(const OutputSet &) = delete;

    // Every output with the format of its extension; a syntax file brings the
    // values CSV it reads, once for all the syntax files of one name.
    void plan(const QStringList &dataSets, const QStringList &codebooks, const QStringList &problems,
              const QStringList &checks, const QStringList &reports, std::span<const Format> formats);
    // Holds every output folder, which clears what killed runs left there,
    // and makes every output's temporary file. Returns why outputs cannot be
    // written; empty when all can.
    QStringList start(FileSystemCalls &files);
    const std::vector<std::unique_ptr<Output>> &outputs() const { return outputs_; }
    // Where every output lies (see Folders::Place); their temporary files are
    // known by their names (Folders::isWorkingFile).
    QSet<Folders::Place> places() const;
    // Puts every output in place: each one's file made ready first, then the
    // turn of every output folder taken (waiting while another merge puts
    // its outputs there), then, unless the run was cancelled by then, the
    // renames one after the other while interrupts are held, then each
    // folder synced. A file that is not ready stops it all before any
    // rename. errors: why an output could not be.
    enum class Commit { Done, Failed, Cancelled };
    Commit commit(RunControl &control, QStringList &errors);
    // Lets go of the temporary files (removing those not committed) and the folders.
    void clear();

    // The one line that says an output could not be written (a line break in
    // the path shown as \n).
    static QString failure(const QString &path, const QString &why);

private:
    Output &add(const QString &path, const Format *format, Content content);
    using Turns = std::vector<std::unique_ptr<Folders::Turn>>;
    bool takeTurns(RunControl &control, Turns &turns) const;

    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<std::unique_ptr<Folders::Hold>> holds_;
    QList<QByteArray> folders_;
    FileSystemCalls *files_ = nullptr;
};

// Writes one file that stands alone (a report, a problem table saved from the
// window) as a merge's outputs are written: its folder held, so that no
// merge's clean-up takes it half-written, then the safe way. False, and why
// in error, when it cannot.
bool writeFileAlone(const QString &path, const QByteArray &bytes, QString &error, FileSystemCalls *files = nullptr);
