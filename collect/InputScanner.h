// Finding result files: each input is a file, taken as it is, or a folder,
// searched through all its subfolders for "*_填报结果.dbf". Paths are kept in the
// file system's own bytes, so that names that are not valid UTF-8 can still be opened.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <atomic>
#include <functional>
#include <utility>

class InputScanner {
public:
    struct File {
        QByteArray nativePath;
        QString displayPath; // the input as given, then the path inside it
        QString fileName;    // the last part of the path, decoded
    };
    struct Failure {
        QString path;
        QString reason;
    };

    // Files found are handed to sink as they are found, when there is one (so
    // that reading can begin while the folders are still searched); else they
    // are kept for files().
    using Sink = std::function<void(File)>;
    explicit InputScanner(const std::atomic<bool> *cancelled = nullptr, Sink sink = {})
        : cancelled_(cancelled), sink_(std::move(sink))
    {
    }

    // Adds one input. Returns false when the run was cancelled meanwhile.
    bool add(const QString &input);

    // The files found, sorted by their display path (none when a sink took them).
    QList<File> files() const;
    // Other files inside the folders, not searched.
    qsizetype skipped() const { return skipped_; }
    // Inputs and folders that could not be searched.
    const QList<Failure> &failures() const { return failures_; }

    // Whether a file name (in the file system's bytes) is a result file's name;
    // the suffix may be in UTF-8 or, from archives made on Windows, in GBK.
    static bool isResultFileName(const QByteArray &name);
    // A name in the file system's bytes as text: UTF-8, else GBK, else UTF-8 with
    // replacement characters.
    static QString decodeName(const QByteArray &name);

private:
    bool scanFolder(const QByteArray &native, const QString &display);
    void addFile(const QByteArray &native, const QString &display, const QString &name,
                 std::pair<quint64, quint64> identity);
    bool isCancelled() const { return cancelled_ && cancelled_->load(std::memory_order_relaxed); }

    const std::atomic<bool> *cancelled_;
    Sink sink_;
    QList<File> files_;
    QSet<std::pair<quint64, quint64>> seenFolders_;
    QSet<std::pair<quint64, quint64>> seenFiles_;
    qsizetype skipped_ = 0;
    QList<Failure> failures_;
};
