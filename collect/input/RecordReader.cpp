// A record's lines stay one UTF-8 block (see DataSet::Record); control
// characters come out of its texts here, the same for every format.
#include "collect/input/RecordReader.h"

#include "platform/Sha256.h"
#include "survey/LineMap.h"
#include "survey/ResultFileFormat.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <limits>

namespace RecordReader {
namespace {

// Why a badly framed file is not a result file: empty, converted line ends,
// cut short, or something else.
QString framingReason(const ResultFileReader::Result &r)
{
    const int lines = Survey::kLineCount;
    const QByteArray &bytes = r.bytes;
    if (bytes.isEmpty())
        return QStringLiteral("文件是空的");
    const qsizetype ended = bytes.count("\r\n");
    if (ended == 0 && bytes.count('\n') == lines && bytes.endsWith('\n'))
        return QStringLiteral("行尾是 LF 而不是 CR LF：文件可能在传送中被转换过");
    if (ended > lines)
        return QStringLiteral("不是填报结果文件：多于 %1 行").arg(lines);
    if (ended == 0)
        return QStringLiteral("不是填报结果文件");
    // Cut short: every line ended as it should up to where the file stops,
    // the last one perhaps half there.
    const qsizetype tail = bytes.lastIndexOf("\r\n") + 2;
    const bool cutShort =
        (r.line == 0 || r.line == ended + 1) && bytes.indexOf('\n', tail) < 0 && bytes.indexOf('\r', tail) < 0;
    if (cutShort)
        return QStringLiteral("文件不完整：只有 %1 行，应为 %2 行").arg(ended).arg(lines);
    return QStringLiteral("不是填报结果文件（第 %1 行中有单独的回车或换行）").arg(r.line);
}

// Why a file is not a result file, in words for the people who sent it.
QString plainReason(const ResultFileReader::Result &r)
{
    using R = ResultFileReader::Rejection;
    switch (r.rejection) {
    case R::None:
    case R::Unreadable:
    case R::TooLarge:
    case R::Utf8Mark:
        return r.reason;
    case R::NotGbk:
        return r.line == 1 ? QStringLiteral("不是填报结果文件（第 1 行不是 GBK 编码的文字）")
                           : QStringLiteral("文件已损坏：第 %1 行含有不是 GBK 编码的字节").arg(r.line);
    case R::Framing:
        break;
    }
    return framingReason(r);
}

// "2014-06-01 09:30:00", digit by digit: a format string read for every
// file cost more than the rest of the file's time stamp.
QByteArray dateTimeText(const QDateTime &time)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    if (date.year() < 0 || date.year() > 9999)
        return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    char text[] = "0000-00-00 00:00:00";
    auto put = [&](int at, int value, int digits) {
        for (int i = at + digits - 1; i >= at; --i, value /= 10)
            text[i] = char('0' + value % 10);
    };
    put(0, date.year(), 4);
    put(5, date.month(), 2);
    put(8, date.day(), 2);
    put(11, clock.hour(), 2);
    put(14, clock.minute(), 2);
    put(17, clock.second(), 2);
    return QByteArray(text, qsizetype(sizeof text - 1));
}

// A byte that comes out of a text; LF stays, as it ends a line of the block.
bool isControl(char c)
{
    return c != '\n' && Survey::isControlCharacter(static_cast<unsigned char>(c));
}

// Control characters shown as their pictures (␀, ␡), for the problem report.
QString visible(QByteArrayView utf8)
{
    QString text = QString::fromUtf8(utf8);
    for (QChar &c : text)
        if (Survey::isControlCharacter(c.unicode()))
            c = c.unicode() == 0x7F ? QChar(0x2421) : QChar(0x2400 + c.unicode());
    return text;
}

// The offset from UTC of a moment, asked of the zone once a quarter of an
// hour on each thread (no zone changes its offset inside one): files sent
// together were mostly saved within one.
int offsetFromUtc(const QDateTime &utc)
{
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    constexpr qint64 kQuarter = 15 * 60 * 1000;
    thread_local qint64 quarter = std::numeric_limits<qint64>::min();
    thread_local int offset = 0;
    const qint64 msecs = utc.toMSecsSinceEpoch();
    const qint64 at = msecs / kQuarter - (msecs % kQuarter < 0 ? 1 : 0);
    if (at != quarter) {
        offset = zone.offsetFromUtc(utc);
        quarter = at;
    }
    return offset;
}

// The file's time as the wall clock read it, kept as UTC. The system's time
// zone is asked once: local time through the C library looks at the zone's
// file again for every file read.
void setModified(DataSet::Record &record, qint64 nanoseconds)
{
    const QDateTime utc = QDateTime::fromMSecsSinceEpoch(nanoseconds / 1000000, Qt::UTC);
    const QDateTime local = utc.addSecs(offsetFromUtc(utc));
    record.modified = dateTimeText(local);
    record.modifiedSeconds = local.toSecsSinceEpoch();
}

// Takes the control characters out of the record's texts, and lists each
// line that held some.
void takeOutControlCharacters(DataSet::Record &record, Result &result)
{
    static const std::array<bool, 256> control = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c)
            table[size_t(c)] = isControl(char(c));
        return table;
    }();
    bool any = false;
    for (char c : record.text) // no branch a byte: most files hold none
        any |= control[static_cast<unsigned char>(c)];
    if (!any)
        return;
    const DataSet::Lines before = DataSet::split(record);
    QByteArray cleaned;
    cleaned.reserve(record.text.size());
    for (const Survey::Line &line : Survey::lines()) {
        const QByteArrayView text = before[size_t(line.number - 1)];
        if (line.kind == Survey::LineKind::FreeText && std::any_of(text.begin(), text.end(), isControl)) {
            result.controlCharacters.append({line.number, visible(text)});
            for (char c : text)
                if (!isControl(c))
                    cleaned += c;
        } else {
            cleaned += text;
        }
        cleaned += '\n';
    }
    record.text = cleaned;
}

// The lines whose value means nothing, the questions with nothing ticked,
// and the empty lines that their gate shuts.
void markLines(DataSet::Record &record, const DataSet::Lines &lines, const QList<RecordCheck::Problem> &problems,
               const std::array<RecordCheck::Gate, Survey::kLineCount> &gates)
{
    for (const RecordCheck::Problem &p : problems)
        if (RecordCheck::spoilsValue(p.kind))
            record.unusable.set(size_t(p.line - 1));
    for (const Survey::Line &line : Survey::lines()) {
        const size_t at = size_t(line.number - 1);
        if (line.kind == Survey::LineKind::OptionCodes && !record.unusable.test(at) && !lines[at].contains('1'))
            record.unanswered.set(at);
        if (lines[at].isEmpty() && gates[at] == RecordCheck::Gate::Shut)
            record.notApplicable.set(at);
    }
}

// What both readers share once the bytes are framed and decoded.
Result judged(const InputScanner::File &file, ResultFileReader::Result r)
{
    Result result;
    result.modified = r.modified;
    if (!r.accepted()) {
        result.rejection = r.rejection;
        result.rejectionLine = r.line;
        result.reason = plainReason(r);
        return result;
    }
    DataSet::Record &record = result.record;
    record.file = file.displayPath.toUtf8();
    record.sha256 = Sha256::hex(r.bytes);
    setModified(record, r.modified);
    record.text = std::move(r.utf8);
    r = {};
    takeOutControlCharacters(record, result);

    const DataSet::Lines lines = DataSet::split(record);
    std::array<RecordCheck::Gate, Survey::kLineCount> gates{};
    RecordCheck::Numbers numbers;
    result.problems = RecordCheck::checkUtf8(lines, gates, numbers);
    markLines(record, lines, result.problems, gates);
    result.findings = DataChecks::run(lines, numbers);
    result.enterpriseKey = DataChecks::enterpriseKey(lines);
    result.enterprise = QString::fromUtf8(lines[size_t(Survey::kEnterpriseNameLine - 1)]);
    result.named = FileName::match(file.fileName, result.enterprise);
    return result;
}

} // namespace

Result read(const InputScanner::File &file)
{
    return judged(file, ResultFileReader::readNative(file.nativePath, ResultFileReader::Decode::Utf8));
}

Result readBytes(const InputScanner::File &file, const QByteArray &bytes, qint64 modified)
{
    ResultFileReader::Result r = ResultFileReader::parse(bytes, ResultFileReader::Decode::Utf8);
    r.modified = modified;
    return judged(file, std::move(r));
}

} // namespace RecordReader
