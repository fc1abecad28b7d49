// The result file reader: framing, strict GBK, the size limit, files that are
// not files, and thousands of randomly damaged result files.
#include "collect/input/RecordReader.h"
#include "platform/FileSystemCalls.h"
#include "platform/Gbk.h"
#include "survey/LineMap.h"
#include "survey/RecordCheck.h"
#include "survey/ResultFileReader.h"
#include "survey/ResultFileWriter.h"
#include "tests/collect/CommandLineRun.h"
#include "tests/collect/OutputReaders.h"
#include "tests/collect/SampleRecords.h"
#include "tests/support/TestSystem.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

using ResultFileReader::Rejection;

// 139 lines of text, each GBK + CR LF.
QByteArray fileOf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Gbk::encode(line) + "\r\n";
    return bytes;
}

QStringList someLines()
{
    QStringList lines(139);
    lines[0] = QStringLiteral("甲乙科技有限公司");
    lines[1] = QStringLiteral("北京市朝阳区");
    lines[2] = QStringLiteral("500.5");
    lines[8] = QStringLiteral("919991");
    lines[138] = QStringLiteral("养老服务");
    return lines;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class CollectReaderTest : public QObject {
    Q_OBJECT
private slots:
    void recordId_data();
    void recordId();
    void framing_data();
    void framing();
    void gbk_data();
    void gbk();
    void bothDecodingsAgree();
    void decodingIsOneToOne();
    void filesThatAreNotResultFiles_data();
    void filesThatAreNotResultFiles();
    void aHugeFileIsNotReadWhole();
    void randomlyDamagedFiles();
    void theLargestFileThePagesSaveIsReadAndMerged();
};

void CollectReaderTest::framing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rejection");
    QTest::addColumn<int>("line");
    const QByteArray good = fileOf(someLines());
    QByteArray lfOnly = good;
    lfOnly.replace(lfOnly.indexOf("\r\n", lfOnly.indexOf("500.5")), 2, "\n"); // line 3
    QByteArray loneCr = good;
    loneCr.insert(loneCr.indexOf("919991") + 2, '\r'); // line 9
    QByteArray crCrLf = good;
    crCrLf.insert(crCrLf.indexOf("500.5") + 5, '\r');

    QTest::newRow("good") << good << int(Rejection::None) << 0;
    QTest::newRow("empty") << QByteArray() << int(Rejection::Framing) << 0;
    QTest::newRow("138 lines") << good.left(good.size() - 2 - Gbk::encode(QStringLiteral("养老服务")).size())
                               << int(Rejection::Framing) << 0;
    QTest::newRow("140 lines") << good + "x\r\n" << int(Rejection::Framing) << 0;
    QTest::newRow("140th line empty") << good + "\r\n" << int(Rejection::Framing) << 0;
    QTest::newRow("last CR LF missing") << good.chopped(2) << int(Rejection::Framing) << 139;
    QTest::newRow("only LF after the last") << good.chopped(2) + "\n" << int(Rejection::Framing) << 139;
    QTest::newRow("bytes after the last") << good + "x" << int(Rejection::Framing) << 140;
    QTest::newRow("LF without CR") << lfOnly << int(Rejection::Framing) << 3;
    QTest::newRow("CR inside a line") << loneCr << int(Rejection::Framing) << 9;
    QTest::newRow("CR CR LF") << crCrLf << int(Rejection::Framing) << 3;
    QTest::newRow("LF line ends throughout") << QByteArray(good).replace("\r\n", "\n") << int(Rejection::Framing) << 1;
    QTest::newRow("139 empty lines") << QByteArray("\r\n").repeated(139) << int(Rejection::None) << 0;
    QTest::newRow("UTF-8 mark before the content") << "\xEF\xBB\xBF" + good << int(Rejection::Utf8Mark) << 0;
}

void CollectReaderTest::framing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rejection);
    QFETCH(int, line);
    const ResultFileReader::Result r = ResultFileReader::parse(bytes);
    QCOMPARE(int(r.rejection), rejection);
    QCOMPARE(r.line, line);
    if (r.accepted()) {
        QCOMPARE(r.lines.size(), 139);
        QVERIFY(r.reason.isEmpty());
    } else {
        QVERIFY(r.lines.isEmpty());
        QVERIFY(!r.reason.isEmpty());
    }
}

void CollectReaderTest::gbk_data()
{
    QTest::addColumn<int>("at");           // the line the bytes go into
    QTest::addColumn<QByteArray>("bytes"); // the line's bytes
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("text"); // what a valid line reads as
    QTest::newRow("Chinese") << 2 << QByteArray("\xB1\xB1\xBE\xA9") << true << QStringLiteral("北京");
    QTest::newRow("euro, the one single byte") << 5 << QByteArray("\x80") << true << QStringLiteral("€");
    QTest::newRow("ideographic space") << 7 << QByteArray("\xA1\xA1") << true << QStringLiteral("　");
    QTest::newRow("lead byte at the end of the line") << 12 << QByteArray("\xB1\xB1\xBE") << false << QString();
    QTest::newRow("byte 0xFF") << 20 << QByteArray("ab\xFF") << false << QString();
    QTest::newRow("unassigned pair") << 30 << QByteArray("\xAA\xA1") << false << QString();
    QTest::newRow("trail byte out of range") << 139 << QByteArray("\x81\x30") << false << QString();
}

void CollectReaderTest::gbk()
{
    QFETCH(int, at);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(QString, text);
    QByteArray file;
    for (int k = 1; k <= 139; ++k)
        file += (k == at ? bytes : QByteArray("1")) + "\r\n";
    for (auto decode : {ResultFileReader::Decode::Lines, ResultFileReader::Decode::Utf8}) {
        const ResultFileReader::Result r = ResultFileReader::parse(file, decode);
        if (!valid) {
            QCOMPARE(r.rejection, Rejection::NotGbk);
            QCOMPARE(r.line, at);
            continue;
        }
        QVERIFY(r.accepted());
        if (decode == ResultFileReader::Decode::Lines)
            QCOMPARE(r.lines[at - 1], text);
        else
            QCOMPARE(r.utf8.split('\n').value(at - 1), text.toUtf8());
    }
}

// The collector's UTF-8 block holds exactly the lines that reopening gets.
void CollectReaderTest::bothDecodingsAgree()
{
    QRandomGenerator rng(7);
    for (int i = 0; i < 200; ++i) {
        const QByteArray bytes =
            fileOf(SampleRecords::lines(SampleRecords::make(rng, i, SampleRecords::Texts::Tricky)));
        const auto lines = ResultFileReader::parse(bytes, ResultFileReader::Decode::Lines);
        const auto utf8 = ResultFileReader::parse(bytes, ResultFileReader::Decode::Utf8);
        QVERIFY(lines.accepted() && utf8.accepted());
        QCOMPARE(utf8.utf8, lines.lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    }
}

// The collector tells identical files by their decoded text; that holds only
// if no two byte sequences decode to the same character.
void CollectReaderTest::decodingIsOneToOne()
{
    QHash<QString, QByteArray> seen;
    int valid = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = -1; trail <= 0xFF; ++trail) {
            QByteArray bytes(1, char(lead));
            if (trail >= 0)
                bytes += char(trail);
            QString text;
            if (!ResultFileReader::decodeStrict(bytes.constData(), bytes.size(), text) || text.size() != 1)
                continue;
            ++valid;
            QVERIFY2(!seen.contains(text), bytes.toHex().constData());
            seen.insert(text, bytes);
            QCOMPARE(Gbk::encode(text), bytes); // and back as the writer encodes it
        }
    }
    QVERIFY(valid > 20000);
}

void CollectReaderTest::filesThatAreNotResultFiles_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("rejection");
    QTest::newRow("missing") << "missing" << int(Rejection::Unreadable);
    QTest::newRow("folder") << "folder" << int(Rejection::Unreadable);
    QTest::newRow("pipe") << "pipe" << int(Rejection::Unreadable);
    QTest::newRow("broken link") << "broken link" << int(Rejection::Unreadable);
    QTest::newRow("device") << "device" << int(Rejection::Unreadable);
    QTest::newRow("one byte too large") << "large" << int(Rejection::TooLarge);
    QTest::newRow("at the limit") << "limit" << int(Rejection::None);
}

void CollectReaderTest::filesThatAreNotResultFiles()
{
    QFETCH(QString, what);
    QFETCH(int, rejection);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/甲_填报结果.dbf");
    if (what == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (what == QLatin1String("pipe")) {
        if (!TestSystem::makePipe(path))
            QSKIP("pipes in the file system are POSIX");
    } else if (what == QLatin1String("broken link") || what == QLatin1String("device")) {
        if (!TestSystem::isPosix())
            QSKIP("links to devices and to nothing are POSIX");
    }
    if (what == QLatin1String("broken link")) {
        QVERIFY(QFile::link(dir.path() + QStringLiteral("/nowhere"), path));
    } else if (what == QLatin1String("device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else if (what == QLatin1String("large") || what == QLatin1String("limit")) {
        // A valid file whose last line makes it exactly the limit, or one byte more.
        QStringList lines = someLines();
        const qsizetype base = fileOf(lines).size() - Gbk::encode(lines[138]).size();
        const qsizetype extra = what == QLatin1String("large") ? 1 : 0;
        lines[138] = QString(Survey::kMaxFileBytes - base + extra, QLatin1Char('x'));
        writeFile(path, fileOf(lines));
        QCOMPARE(QFileInfo(path).size(), Survey::kMaxFileBytes + extra);
    }
    QElapsedTimer clock;
    clock.start();
    const ResultFileReader::Result r = ResultFileReader::read(path);
    QCOMPARE(int(r.rejection), rejection);
    QVERIFY(clock.elapsed() < 5000); // a pipe without a writer must not make it wait
    QVERIFY(r.accepted() || !r.reason.isEmpty());
}

void CollectReaderTest::aHugeFileIsNotReadWhole()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/甲_填报结果.dbf");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(qint64(64) << 30)); // 64 GiB, sparse
    file.close();
    const ResultFileReader::Result r = ResultFileReader::read(path);
    QCOMPARE(r.rejection, Rejection::TooLarge);
    QVERIFY(r.bytes.isEmpty());
}

// Bytes flipped, removed, repeated and inserted; lines cut; CR and LF moved.
// Whatever comes out, an accepted file holds 139 lines that encode back to
// exactly its bytes, and checking it never fails.
void CollectReaderTest::randomlyDamagedFiles()
{
    QRandomGenerator rng(20140601);
    int accepted = 0;
    const int files = 5000;
    for (int n = 0; n < files; ++n) {
        QByteArray bytes = fileOf(SampleRecords::lines(SampleRecords::make(rng, n, SampleRecords::Texts::Tricky)));
        const int damages = 1 + int(rng.bounded(4));
        for (int d = 0; d < damages && !bytes.isEmpty(); ++d) {
            const qsizetype at = qsizetype(rng.bounded(quint32(bytes.size())));
            switch (rng.bounded(7)) {
            case 0:
                bytes[at] = char(rng.bounded(256));
                break;
            case 1:
                bytes.remove(at, 1 + qsizetype(rng.bounded(8)));
                break;
            case 2:
                bytes.insert(at, char(rng.bounded(256)));
                break;
            case 3:
                bytes.insert(at, rng.bounded(2) ? "\r" : "\n");
                break;
            case 4:
                bytes.truncate(at);
                break;
            case 5:
                bytes.insert(at, bytes.mid(at, qsizetype(rng.bounded(64))));
                break;
            case 6: // a digit or code swapped for a letter: often still framed
                if (bytes[at] >= '0' && bytes[at] <= '9')
                    bytes[at] = char('A' + rng.bounded(26));
                break;
            }
        }
        for (auto decode : {ResultFileReader::Decode::Lines, ResultFileReader::Decode::Utf8}) {
            const ResultFileReader::Result r = ResultFileReader::parse(bytes, decode);
            if (!r.accepted()) {
                QVERIFY(!r.reason.isEmpty());
                QVERIFY(r.line >= 0 && r.line <= 140);
                continue;
            }
            if (decode == ResultFileReader::Decode::Utf8) {
                QCOMPARE(r.utf8.count('\n'), 139);
                continue;
            }
            ++accepted;
            QCOMPARE(r.lines.size(), 139);
            QCOMPARE(fileOf(r.lines), bytes);
            for (const RecordCheck::Problem &p : RecordCheck::check(r.lines)) {
                QVERIFY(p.line >= 1 && p.line <= 139);
                QVERIFY(!p.what.isEmpty());
            }
        }
    }
    // Enough damaged files still pass the framing to exercise the checks.
    QVERIFY2(accepted > files / 10, qPrintable(QString::number(accepted)));
}

// The record's ID is the SHA-256 of the file's bytes, in lower-case hex, for
// files of every length around the hash's 64-byte blocks.
void CollectReaderTest::recordId_data()
{
    QTest::addColumn<int>("size");
    for (int size : {0, 1, 2, 3, 31, 32, 33, 62, 63, 64, 65, 127, 128, 129, 1000, 60000})
        QTest::addRow("%d bytes of address", size) << size;
}

void CollectReaderTest::recordId()
{
    QFETCH(int, size);
    QStringList lines = someLines();
    lines[1] = QString(size % 2 == 0 ? size / 2 : size, size % 2 == 0 ? QChar(u'址') : QChar(u'a'));
    const QByteArray bytes = fileOf(lines);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("甲乙科技有限公司_填报结果.dbf"));
    writeFile(path, bytes);
    const RecordReader::Result result = RecordReader::read({FileSystemCalls::nativePath(path), path, path});
    QVERIFY(result.accepted());
    QCOMPARE(result.record.sha256, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    QCOMPARE(result.record.sha256.size(), 64);
}

// The pages save a record up to the size limit and no further (the
// questionnaire's tests drive that); a file of exactly that size, as the
// program's writer saves it, is read whole and merged.
void CollectReaderTest::theLargestFileThePagesSaveIsReadAndMerged()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("收到的文件"));
    QVERIFY(QDir().mkpath(input));
    QRandomGenerator rng(11);
    AnswerRecord record = SampleRecords::make(rng, 1);
    record.set(2, QString());
    const qint64 room = Survey::kMaxFileBytes - ResultFileWriter::sizeOf(record);
    const QString address = QString(room / 2, QChar(u'址')) + QString(room % 2, QLatin1Char('x'));
    record.set(2, address);
    const QString path = SampleRecords::write(record, input + QLatin1Char('/'));
    QCOMPARE(QFileInfo(path).size(), Survey::kMaxFileBytes);

    const ResultFileReader::Result read = ResultFileReader::read(path);
    QVERIFY2(read.accepted(), qPrintable(read.reason));
    QCOMPARE(read.lines.value(1), address);

    const QString csv = dir.filePath(QStringLiteral("汇总.csv"));
    const CommandLineRun::Run run = CommandLineRun::here({QStringLiteral("-q"), input, QStringLiteral("-o"), csv});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QList<QStringList> rows;
    QVERIFY(OutputReaders::parseCsv(written.readAll(), rows));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].value(rows[0].indexOf(Survey::line(2).variable)), address);
}

QTEST_GUILESS_MAIN(CollectReaderTest)
#include "tst_collect_reader.moc"
