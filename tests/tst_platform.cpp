// What the program asks of the system it runs on, the same on Linux and on
// Windows: code page 936 both ways, and kept files written through the file
// seam into folders with Chinese and blank names.
#include "platform/FileSystemCalls.h"
#include "platform/Gbk.h"
#include "platform/SafeFile.h"
#include "tests/support/TestPlatform.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Taken from glibc's iconv (CP936) by this test itself.
constexpr char kEncodeDigest[] = "af2dc605898abb18ebdae0313b3b47eac95865ec3935bc59c8d9608cffb59263";
constexpr char kDecodeDigest[] = "b73fc820aa74191ba66a3f2190c8e01d18e8d17ce122f408d89fa5fdfb79c76d";
} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void encodesAsCodePage936_data();
    void encodesAsCodePage936();
    void decodesOneSequenceStrictly_data();
    void decodesOneSequenceStrictly();
    void wholeCodePageAsOnLinux();
    void keptFileInChineseFolder();
    void keptFileFailuresLeaveTheEarlierFile();
    void readsRegularFilesOnly();
};

void PlatformTest::encodesAsCodePage936_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    QTest::newRow("euro sign, one byte") << QStringLiteral("€") << QByteArray("\x80") << true;
    QTest::newRow("common characters") << QStringLiteral("中文") << QByteArray("\xd6\xd0\xce\xc4") << true;
    QTest::newRow("first of the extension") << QStringLiteral("丂") << QByteArray("\x81\x40") << true;
    QTest::newRow("ideographic zero") << QStringLiteral("〇") << QByteArray("\xa9\x96") << true;
    QTest::newRow("dashes as Windows maps them") << QStringLiteral("—―") << QByteArray("\xa1\xaa\xa8\x44") << true;
    QTest::newRow("full-width forms") << QStringLiteral("－￥｛") << QByteArray("\xa3\xad\xa3\xa4\xa3\xfb") << true;
    QTest::newRow("a with grave is there") << QStringLiteral("à") << QByteArray("\xa8\xa4") << true;
    // No look-alikes: a best fit would turn À into à and ¥ into a backslash.
    QTest::newRow("capital A grave refused") << QStringLiteral("xÀy") << QByteArray("xy") << false;
    QTest::newRow("yen sign refused") << QStringLiteral("1¥") << QByteArray("1") << false;
    QTest::newRow("outside the basic plane") << QStringLiteral("甲😀乙") << QByteArray("\xbc\xd7\xd2\xd2") << false;
    QTest::newRow("half-width katakana") << QStringLiteral("ﾟ") << QByteArray() << false;
    // GBK's user-defined areas hold no character (Windows would make them private-use ones).
    QTest::newRow("private use") << QStringLiteral("a\uE000b") << QByteArray("ab") << false;
}

void PlatformTest::encodesAsCodePage936()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    bool ok = !whole;
    QCOMPARE(Gbk::encode(text, &ok), bytes);
    QCOMPARE(ok, whole);
    if (whole)
        QCOMPARE(Gbk::decode(bytes), text);
}

void PlatformTest::decodesOneSequenceStrictly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("character");
    QTest::newRow("ASCII") << QByteArray("A") << int(u'A');
    QTest::newRow("euro sign") << QByteArray("\x80") << 0x20AC;
    QTest::newRow("ideographic space") << QByteArray("\xa1\xa1") << 0x3000;
    QTest::newRow("extension") << QByteArray("\x81\x40") << 0x4E02;
    QTest::newRow("byte FF alone") << QByteArray("\xff") << 0;
    QTest::newRow("lead byte alone") << QByteArray("\x81") << 0;
    QTest::newRow("trail below the range") << QByteArray("\x81\x20") << 0;
    QTest::newRow("trail 7F") << QByteArray("\x81\x7f") << 0;
    QTest::newRow("user-defined area") << QByteArray("\xaa\xa1") << 0;
}

void PlatformTest::decodesOneSequenceStrictly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, character);
    QCOMPARE(int(Gbk::decodeSequence(bytes.constData(), int(bytes.size()))), character);
}

void PlatformTest::wholeCodePageAsOnLinux()
{
    // Every character of the basic plane encoded, and every pair of bytes
    // decoded, summed up in two digests: Windows' own code page 936 must
    // give what glibc's iconv gives.
    QCryptographicHash encoded(QCryptographicHash::Sha256);
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        bool ok = false;
        const QByteArray bytes = Gbk::encode(QString(QChar(char16_t(c))), &ok);
        encoded.addData(QByteArray::number(uint(c), 16) + '=' + (ok ? bytes.toHex() : QByteArray("-")) + ';');
    }
    QCryptographicHash decoded(QCryptographicHash::Sha256);
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        const char single[1] = {char(lead)};
        decoded.addData(QByteArray::number(Gbk::decodeSequence(single, 1), 16) + ';');
        for (int trail = 0x40; trail <= 0xFF; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            decoded.addData(QByteArray::number(Gbk::decodeSequence(pair, 2), 16) + ';');
        }
    }
    QCOMPARE(encoded.result().toHex(), QByteArray(kEncodeDigest));
    QCOMPARE(decoded.result().toHex(), QByteArray(kDecodeDigest));
}

void PlatformTest::keptFileInChineseFolder()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.path() + QStringLiteral("/调研 资料");
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/甲 公司_结果.txt");
    for (const QByteArray &content : {QByteArray("first\r\n"), QByteArray("second, longer\r\n")}) {
        SafeFile file(target);
        QVERIFY(file.open("test"));
        QVERIFY(file.write(content));
        QVERIFY2(file.commit(), qPrintable(file.errorText()));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), content);
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("甲 公司_结果.txt")});
}

void PlatformTest::keptFileFailuresLeaveTheEarlierFile()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    // A folder where the file should be: refused before anything is written.
    const QString folderTarget = root.path() + QStringLiteral("/结果");
    QVERIFY(QDir().mkpath(folderTarget));
    SafeFile onFolder(folderTarget);
    QVERIFY(!onFolder.open("test"));
    QCOMPARE(onFolder.errorText(), QStringLiteral("这是一个文件夹"));
    QVERIFY(QFileInfo(folderTarget).isDir());

    // A folder that does not exist.
    SafeFile nowhere(root.path() + QStringLiteral("/没有/结果.txt"));
    QVERIFY(!nowhere.open("test"));
    QCOMPARE(FileSystemCalls::kindOf(nowhere.errorCode()), FileSystemCalls::ErrorKind::InvalidName);

    // Discarded half way: the earlier file stays as it was, nothing is left beside it.
    const QString target = root.path() + QStringLiteral("/乙.txt");
    {
        QFile earlier(target);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    {
        SafeFile file(target);
        QVERIFY(file.open("test"));
        QVERIFY(file.write(QByteArray(3 << 20, 'x')));
    }
    QFile kept(target);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("earlier"));
    QCOMPARE(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("乙.txt")});
}

void PlatformTest::readsRegularFilesOnly()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString path = root.path() + QStringLiteral("/甲 公司.dbf");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0123456789");
    }
    const QByteArray native = FileSystemCalls::nativePath(path);
    const auto whole = FileSystemCalls::readRegularFile(native, 10);
    QCOMPARE(whole.error, 0);
    QCOMPARE(whole.bytes, QByteArray("0123456789"));
    QVERIFY(qAbs(whole.modified / 1000000 - QFileInfo(path).lastModified().toMSecsSinceEpoch()) < 1000);
    QVERIFY(FileSystemCalls::readRegularFile(native, 9).tooLarge);
    QVERIFY(FileSystemCalls::readRegularFile(FileSystemCalls::nativePath(root.path()), 10).notRegular);
    const auto missing = FileSystemCalls::readRegularFile(native + "x", 10);
    QCOMPARE(FileSystemCalls::kindOf(missing.error), FileSystemCalls::ErrorKind::InvalidName);
}

int main(int argc, char *argv[])
{
    chooseTestPlatform();
    QCoreApplication app(argc, argv);
    PlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
