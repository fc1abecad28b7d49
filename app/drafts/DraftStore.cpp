// Writing a filling's draft on a thread of its own.
#include "app/drafts/DraftStore.h"

#include "app/drafts/DraftFolder.h"
#include "platform/FileSystemCalls.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <optional>

// Lives on the store's thread and does the writes queued to it. Only the
// newest text waits: on a slow disk the writes never pile up behind each other.
class DraftStore::Writer : public QObject {
public:
    Writer(DraftStore *store, FileSystemCalls &calls) : store_(store), path_(store->path()), calls_(calls) {}

    // Called on any thread: the text replaces the one still waiting, if any.
    void queue(const QByteArray &text)
    {
        QMutexLocker lock(&mutex_);
        const bool drainQueued = waiting_.has_value();
        waiting_ = text;
        if (!drainQueued)
            QMetaObject::invokeMethod(
                this, [this] { writeWaiting(); }, Qt::QueuedConnection);
    }

    bool writeFile(const QByteArray &text, QString *error)
    {
        if (text.size() > Draft::kMaxBytes) {
            if (error)
                *error = QStringLiteral("填写的内容太长，超过了草稿的上限 %1 MiB").arg(Draft::kMaxBytes >> 20);
            return false;
        }
        if (!DraftFolder::makeFolder(QFileInfo(path_).absolutePath(), error))
            return false;
        SafeFile file(path_, calls_);
        if (file.open("draft") && file.write(text) && file.commit())
            return true;
        if (error)
            *error = file.errorText();
        return false;
    }

private:
    void writeWaiting()
    {
        QByteArray text;
        {
            QMutexLocker lock(&mutex_);
            text = std::move(*waiting_);
            waiting_.reset();
        }
        QString error;
        if (writeFile(text, &error)) {
            lastError_.clear();
            return;
        }
        if (error == lastError_)
            return;
        lastError_ = error;
        QMetaObject::invokeMethod(
            store_, [store = store_, error] { emit store->writeFailed(error); }, Qt::QueuedConnection);
    }

    DraftStore *store_;
    QString path_;
    FileSystemCalls &calls_;
    QString lastError_;
    QMutex mutex_;
    std::optional<QByteArray> waiting_;
};

DraftStore::DraftStore(DraftFile file, FileSystemCalls &calls) : file_(std::move(file)), calls_(calls)
{
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("draft writer"));
    writer_ = new Writer(this, calls);
    writer_->moveToThread(thread_);
    connect(thread_, &QThread::finished, writer_, &QObject::deleteLater);
    thread_->start();
}

DraftStore::~DraftStore()
{
    waitForWrites();
    thread_->quit();
    thread_->wait();
}

void DraftStore::writeLater(const QByteArray &text)
{
    writer_->queue(text);
}

void DraftStore::waitForWrites()
{
    QMetaObject::invokeMethod(
        writer_, [] {}, Qt::BlockingQueuedConnection);
}

bool DraftStore::write(const QByteArray &text, QString *error)
{
    waitForWrites();
    return writer_->writeFile(text, error);
}

bool DraftStore::remove()
{
    waitForWrites();
    return file_.remove(calls_);
}
