// Where the draft lives (the user's data folder, never the program's folder,
// which may be read-only) and how it is written: to a temporary file renamed
// over the draft, on a thread of its own so that typing never waits for a disk.
#pragma once

#include "app/Draft.h"

#include <QObject>
#include <QString>

class QThread;

class DraftStore : public QObject {
    Q_OBJECT
public:
    // The draft file inside folder; by default the user's data folder.
    explicit DraftStore(const QString &folder = defaultFolder());
    ~DraftStore() override;

    static QString defaultFolder();
    QString path() const { return path_; }
    bool exists() const;

    // Reads the draft. found is false when there is none; otherwise parsed
    // says whether it could be read.
    struct Loaded {
        bool found = false;
        Draft::Parsed parsed;
    };
    Loaded load() const;

    // Queues the text for writing; writes happen in order, each replacing the last.
    void writeLater(const QByteArray &text);
    // Writes the text now, after every queued write; returns whether it worked.
    bool writeNow(const QByteArray &text, QString *error = nullptr);
    // Returns once every queued write is done.
    void waitForWrites();

    // Removes the draft (after every queued write); true when none is left.
    bool remove();
    // Moves an unreadable draft aside, next to it with a suffix, and returns
    // its new path; the draft itself is never deleted. Empty on failure.
    QString moveAside();

signals:
    // A background write failed (reported once per reason, on the caller's thread).
    void writeFailed(const QString &reason);

private:
    class Writer;
    static bool writeFile(const QString &path, const QByteArray &text, QString *error);

    QString folder_;
    QString path_;
    QThread *thread_ = nullptr;
    Writer *writer_ = nullptr;
};
