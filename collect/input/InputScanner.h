// Finding result files: each input is a file, taken as it is, or a folder,
// searched through all its subfolders for every *.dbf (any case), whatever
// its name: the content decides. Other files are counted and listed. A link
// to a folder inside an input is listed, not followed (it may lead anywhere,
// up to the root); a link to a file is read, and a link named as an input is
// followed. Paths are kept in the file system's own bytes, so that names
// that are not valid UTF-8 can still be opened.
#pragma once

#include "platform/Folders.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <utility>

class InputScanner {
public:
    struct File {
        QByteArray nativePath;
        QString displayPath; // the input's own name, then the path inside it
        QString fileName;    // the last part of the path, decoded
    };
    struct Failure {
        QString path; // as displayPath
        QString reason;
    };
    struct Link {
        QString path;   // as displayPath
        QString target; // where it leads, as it says
    };

    // Files found are handed to sink as they are found, when there is one (so
    // that reading can begin while the folders are still searched); else they
    // are kept for files().
    using Sink = std::function<void(File)>;
    explicit InputScanner(const std::atomic<bool> *cancelled = nullptr, Sink sink = {})
        : cancelled_(cancelled), sink_(std::move(sink))
    {
    }

    // Files the search leaves out, by their place (see Folders::Place): a
    // merge's own outputs, when they lie inside an input. Its temporary files
    // are always left out.
    void leaveOut(QSet<Folders::Place> places) { leftOut_ = std::move(places); }

    // Adds one input. Returns false when the run was cancelled meanwhile.
    bool add(const QString &input);

    // The files found, sorted by their display path (none when a sink took them).
    QList<File> files() const;
    // The order of files(): by display path, then by the file system's bytes.
    static bool inPathOrder(const File &a, const File &b);
    // Other files inside the folders, not read, by their display path.
    const QStringList &others() const { return others_; }
    // Inputs and folders that could not be searched.
    const QList<Failure> &failures() const { return failures_; }
    // Links to folders inside the inputs, not followed.
    const QList<Link> &links() const { return links_; }

    // Whether a file name (in the file system's bytes) ends with .dbf in any case.
    static bool isDbf(const QByteArray &name);
    // A name in the file system's bytes as text: UTF-8, else GBK, else UTF-8 with
    // replacement characters; control characters but the tab become replacement characters too.
    static QString decodeName(const QByteArray &name);

private:
    using Identity = std::pair<quint64, quint64>;
    bool scanFolder(const QByteArray &native, const QString &display);
    void addFile(const QByteArray &native, const QString &display, const QString &name, Identity identity);
    bool isCancelled() const { return cancelled_ && cancelled_->load(std::memory_order_relaxed); }

    const std::atomic<bool> *cancelled_;
    Sink sink_;
    QList<File> files_;
    QSet<Identity> seenFolders_;
    QSet<Identity> seenFiles_;
    QStringList others_;
    QList<Failure> failures_;
    QList<Link> links_;
    QSet<Folders::Place> leftOut_;
};
