// The one safe way to write a file, under a file system that fails one call:
// every failure is reported, the earlier file stays whole, no temporary is
// left; and the data reaches the disk before the rename, the folder after it.
#include "platform/SafeFile.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/TestSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The system's calls, noted one by one; the nth call of one kind fails.
class OneFailingCall : public ForwardingFileSystem {
public:
    QString failing; // "write", "sync", "close", "rename", "syncPath" or nothing
    int failingAt = 1;
    int code = 0;
    QStringList calls;

    int writeAll(Handle file, const char *data, std::size_t size) override
    {
        if (!fails(QStringLiteral("write")))
            return real().writeAll(file, data, size);
        real().writeAll(file, data, size / 2); // the disk fills up half-way
        return code;
    }
    int sync(Handle file) override { return fails(QStringLiteral("sync")) ? code : real().sync(file); }
    int close(Handle file) override
    {
        const int result = real().close(file);
        return fails(QStringLiteral("close")) ? code : result;
    }
    int rename(const QByteArray &from, const QByteArray &to) override
    {
        return fails(QStringLiteral("rename")) ? code : real().rename(from, to);
    }
    int syncPath(const QByteArray &path) override
    {
        return fails(QStringLiteral("syncPath")) ? code : real().syncPath(path);
    }

private:
    bool fails(const QString &call)
    {
        calls << call;
        return call == failing && calls.count(call) == failingAt;
    }
};

using Sizes = QList<qsizetype>;

} // namespace

class SafeFileTest : public QObject {
    Q_OBJECT
private slots:
    void everyFailureIsReportedAndLeavesTheEarlierFile_data();
    void everyFailureIsReportedAndLeavesTheEarlierFile();
    void theDataIsSyncedOnce_data();
    void theDataIsSyncedOnce();
};

void SafeFileTest::everyFailureIsReportedAndLeavesTheEarlierFile_data()
{
    QTest::addColumn<Sizes>("writes");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("failingAt");
    QTest::addColumn<bool>("replaced");

    constexpr qsizetype kMiB = 1 << 20;
    QTest::newRow("nothing fails") << Sizes{100, 3 * kMiB, 200} << QString() << 0 << true;
    QTest::newRow("a write of 3 MiB") << Sizes{3 * kMiB} << QStringLiteral("write") << 1 << false;
    QTest::newRow("2 MiB after a small write") << Sizes{100, 2 * kMiB} << QStringLiteral("write") << 2 << false;
    QTest::newRow("the buffer full at 1 MiB") << Sizes{600 * 1024, 600 * 1024} << QStringLiteral("write") << 1 << false;
    QTest::newRow("the last bytes, at the end") << Sizes{3 * kMiB, 100} << QStringLiteral("write") << 2 << false;
    QTest::newRow("the sync to disk") << Sizes{2 * kMiB} << QStringLiteral("sync") << 1 << false;
    QTest::newRow("the close") << Sizes{100} << QStringLiteral("close") << 1 << false;
    QTest::newRow("the rename") << Sizes{100} << QStringLiteral("rename") << 1 << false;
    // The file is in place, but not known to outlast a power cut: said all the same.
    QTest::newRow("the folder's sync") << Sizes{100} << QStringLiteral("syncPath") << 1 << true;
}

void SafeFileTest::everyFailureIsReportedAndLeavesTheEarlierFile()
{
    QFETCH(Sizes, writes);
    QFETCH(QString, failing);
    QFETCH(int, failingAt);
    QFETCH(bool, replaced);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("结果.txt"));
    const QByteArray earlier("earlier\r\n");
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    OneFailingCall calls;
    calls.failing = failing;
    calls.failingAt = failingAt;
    calls.code = TestSystem::errorCodes().ioFailure;

    QByteArray content;
    bool everyWriteTaken = true;
    bool committed = false;
    {
        SafeFile file(target, calls);
        QVERIFY(file.open("test"));
        for (qsizetype size : writes) {
            const QByteArray bytes(size, char('a' + content.size() % 26));
            content += bytes;
            everyWriteTaken = file.write(bytes) && everyWriteTaken;
        }
        committed = file.commit();
        QCOMPARE(file.errorCode(), failing.isEmpty() ? 0 : calls.code);
        QCOMPARE(file.failed(), !failing.isEmpty());
    }
    QCOMPARE(committed, failing.isEmpty());
    // A write that failed says so at once, or at the latest at the commit.
    QVERIFY(everyWriteTaken || failing == QLatin1String("write"));

    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll() == content, replaced);
    if (!replaced) {
        written.seek(0);
        QCOMPARE(written.readAll(), earlier);
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("结果.txt")});
    if (failing.isEmpty()) // the data on the disk before the name, the name after
        QCOMPARE(calls.calls.mid(calls.calls.indexOf(QStringLiteral("sync"))),
                 (QStringList{QStringLiteral("sync"), QStringLiteral("close"), QStringLiteral("rename"),
                              QStringLiteral("syncPath")}));
}

// Finished by its writer, the file is synced once; written by name after
// that (by a library), once more by name.
void SafeFileTest::theDataIsSyncedOnce_data()
{
    QTest::addColumn<bool>("byName");
    QTest::addColumn<QStringList>("expected");
    const QString sync = QStringLiteral("sync"), close = QStringLiteral("close"), rename = QStringLiteral("rename"),
                  syncPath = QStringLiteral("syncPath");
    QTest::newRow("written here") << false << QStringList{sync, close, rename, syncPath};
    QTest::newRow("written by name") << true << QStringList{sync, close, syncPath, rename, syncPath};
}

void SafeFileTest::theDataIsSyncedOnce()
{
    QFETCH(bool, byName);
    QFETCH(QStringList, expected);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("结果.txt"));
    OneFailingCall calls;
    SafeFile file(target, calls);
    QVERIFY(file.open("test") && file.write(QByteArrayView("a")) && file.finish());
    if (byName) {
        QFile library(QString::fromLocal8Bit(file.temporaryPath()));
        QVERIFY(library.open(QIODevice::WriteOnly) && library.write("b") == 1);
    }
    QVERIFY(file.commit());
    QCOMPARE(calls.calls.mid(calls.calls.indexOf(QStringLiteral("sync"))), expected);
}

QTEST_GUILESS_MAIN(SafeFileTest)
#include "tst_safe_file.moc"
