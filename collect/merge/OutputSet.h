// The outputs of one merge, written together: each gets a hidden temporary
// file beside it before a single input is read (so that an output that cannot
// be written stops the run at once), and all are put in place only when every
// one of them has been written whole. Until then, and after a failure or a
// cancel, nothing earlier is replaced, and no temporary file outlives the set.
#pragma once

#include "collect/export/Formats.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <span>
#include <vector>

class FileSystemCalls;
class SafeFile;

namespace Folders {
class Hold;
}

class OutputSet {
public:
    enum class Content { DataSet, Codebook, Problems, Checks };

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
              std::span<const Format> formats, const QStringList &checks = {});
    // Holds every output folder, which clears what killed runs left there,
    // and makes every output's temporary file. Returns why outputs cannot be
    // written; empty when all can.
    QStringList start(FileSystemCalls &files);
    const std::vector<std::unique_ptr<Output>> &outputs() const { return outputs_; }
    // Puts every output in place; returns why one could not be.
    QStringList commit();
    // Lets go of the temporary files (removing those not committed) and the folders.
    void clear();

    // The one line that says an output could not be written.
    static QString failure(const QString &path, const QString &why);

private:
    Output &add(const QString &path, const Format *format, Content content);

    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<std::unique_ptr<Folders::Hold>> holds_;
};

// Writes one file that stands alone (a report, a problem table saved from the
// window) as a merge's outputs are written: its folder held, so that no
// merge's clean-up takes it half-written, then the safe way. False, and why
// in error, when it cannot.
bool writeAlone(const QString &path, const QByteArray &bytes, QString &error, FileSystemCalls *files = nullptr);
