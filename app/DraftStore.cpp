// The draft file.
#include "app/DraftStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

namespace {

const QString kFileName = QStringLiteral("draft.txt");
// A draft is a few kilobytes; anything much larger is not ours.
constexpr qint64 kMaxDraftBytes = 4 * 1024 * 1024;

} // namespace

// Lives on the store's thread and does the writes queued to it.
class DraftStore::Writer : public QObject {
public:
    explicit Writer(DraftStore *store) : store_(store), path_(store->path()) {}

    void write(const QByteArray &text)
    {
        QString error;
        if (DraftStore::writeFile(path_, text, &error)) {
            lastError_.clear();
            return;
        }
        if (error == lastError_)
            return;
        lastError_ = error;
        QMetaObject::invokeMethod(
            store_, [store = store_, error] { emit store->writeFailed(error); }, Qt::QueuedConnection);
    }

private:
    DraftStore *store_;
    QString path_;
    QString lastError_;
};

DraftStore::DraftStore(const QString &folder) : folder_(folder), path_(QDir(folder).filePath(kFileName))
{
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("draft writer"));
    writer_ = new Writer(this);
    writer_->moveToThread(thread_);
    connect(thread_, &QThread::finished, writer_, &QObject::deleteLater);
    thread_->start();
}

DraftStore::~DraftStore()
{
    thread_->quit();
    thread_->wait();
}

QString DraftStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool DraftStore::exists() const
{
    return QFileInfo::exists(path_);
}

DraftStore::Loaded DraftStore::load() const
{
    Loaded loaded;
    QFile file(path_);
    if (!file.exists())
        return loaded;
    loaded.found = true;
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.parsed.fault = Draft::Fault::Damaged;
        loaded.parsed.reason = QStringLiteral("草稿无法读取：%1").arg(file.errorString());
        return loaded;
    }
    const QByteArray bytes = file.read(kMaxDraftBytes + 1);
    if (bytes.size() > kMaxDraftBytes) {
        loaded.parsed.fault = Draft::Fault::NotADraft;
        loaded.parsed.reason = QStringLiteral("文件太大，不是本程序的草稿");
        return loaded;
    }
    loaded.parsed = Draft::fromText(bytes);
    return loaded;
}

bool DraftStore::writeFile(const QString &path, const QByteArray &text, QString *error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    // QSaveFile writes beside the draft and renames over it on commit: a crash
    // in the middle leaves the previous draft whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
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
    return writeFile(path_, text, error);
}

bool DraftStore::remove()
{
    waitForWrites();
    return !QFile::exists(path_) || QFile::remove(path_);
}

QString DraftStore::moveAside()
{
    waitForWrites();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path_ + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path_ + QStringLiteral(".unreadable-%1-%2").arg(stamp).arg(n);
    return QFile::rename(path_, aside) ? aside : QString();
}
