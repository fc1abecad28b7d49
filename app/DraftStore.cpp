// Writing a filling's draft on a thread of its own.
#include "app/DraftStore.h"

#include "survey/FileSystemCalls.h"
#include "survey/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

// Lives on the store's thread and does the writes queued to it.
class DraftStore::Writer : public QObject {
public:
    Writer(DraftStore *store, FileSystemCalls &calls) : store_(store), path_(store->path()), calls_(calls) {}

    void write(const QByteArray &text)
    {
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

    bool writeFile(const QByteArray &text, QString *error)
    {
        const QString folder = QFileInfo(path_).absolutePath();
        if (!QDir().mkpath(folder)) {
            if (error)
                *error = QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(folder));
            return false;
        }
        SafeFile file(path_, calls_);
        if (file.open("draft") && file.write(text) && file.commit())
            return true;
        if (error)
            *error = file.errorText();
        return false;
    }

private:
    DraftStore *store_;
    QString path_;
    FileSystemCalls &calls_;
    QString lastError_;
};

DraftStore::DraftStore(DraftFile file, FileSystemCalls &calls) : file_(std::move(file))
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
    QMetaObject::invokeMethod(
        writer_, [writer = writer_, text] { writer->write(text); }, Qt::QueuedConnection);
}

void DraftStore::waitForWrites()
{
    QMetaObject::invokeMethod(
        writer_, [] {}, Qt::BlockingQueuedConnection);
}

bool DraftStore::writeNow(const QByteArray &text, QString *error)
{
    waitForWrites();
    return writer_->writeFile(text, error);
}

bool DraftStore::remove()
{
    waitForWrites();
    return file_.remove();
}
