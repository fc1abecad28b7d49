// Writes the draft of this copy's filling: the one safe way (a temporary file
// beside it, every write, the sync and the close checked, then renamed over
// it), on a thread of its own so that typing never waits for a disk. A failed
// write leaves the earlier draft whole; the next one tries again.
#pragma once

#include "app/drafts/DraftFile.h"

#include <QObject>
#include <QString>

class FileSystemCalls;
class QThread;

class DraftStore : public QObject {
    Q_OBJECT
public:
    // Writes into the draft this copy holds, through these calls.
    explicit DraftStore(DraftFile file, FileSystemCalls &calls);
    ~DraftStore() override; // after every queued write; the draft stays

    const QString &path() const { return file_.path(); }
    bool exists() const { return file_.exists(); }

    // Queues the text for writing; writes happen in order, each replacing the
    // last, and a text still waiting when a newer one comes is skipped.
    void writeLater(const QByteArray &text);
    // Writes the text before returning, after every queued write; returns whether it worked.
    bool write(const QByteArray &text, QString *error = nullptr);
    // Returns once every queued write is done.
    void waitForWrites();

    // Deletes the draft after every queued write; true when none is left.
    bool remove();

signals:
    // A background write failed (reported once per reason, on the caller's thread).
    void writeFailed(const QString &reason);

private:
    class Writer;

    DraftFile file_;
    FileSystemCalls &calls_;
    QThread *thread_ = nullptr;
    Writer *writer_ = nullptr;
};
