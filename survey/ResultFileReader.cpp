// Reading a result file back: framing, strict GBK decoding and the size limit.
#include "survey/ResultFileReader.h"

#include "platform/FileSystemCalls.h"
#include "platform/Gbk.h"
#include "survey/LineMap.h"

#include <array>
#include <memory>
#include <optional>

namespace ResultFileReader {
namespace {

// Code page 936 as a table: the character of each byte and of each pair of
// bytes, 0 where the code page has none. Asked of the system's converter once
// (a few milliseconds), it decodes exactly as the result file writer encodes, needs
// no lock, and rejects what Gbk::decode would skip. Every character of the code
// page is in the basic plane, and no two byte sequences give the same character.
class GbkTable {
public:
    static const GbkTable &instance()
    {
        static const std::unique_ptr<GbkTable> table(new GbkTable);
        return *table;
    }

    static bool isLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

    char16_t single(unsigned char byte) const { return single_[byte]; }
    char16_t pair(unsigned char lead, unsigned char trail) const
    {
        return trail >= 0x40 && trail <= 0xFE ? pairs_[size_t(lead - 0x81) * 191 + (trail - 0x40)] : 0;
    }

private:
    GbkTable()
    {
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const char c = char(byte);
            single_[size_t(byte)] = isLead(static_cast<unsigned char>(byte)) ? 0 : Gbk::decodeSequence(&c, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const char bytes[2] = {char(lead), char(trail)};
                pairs_[size_t(lead - 0x81) * 191 + size_t(trail - 0x40)] = Gbk::decodeSequence(bytes, 2);
            }
        }
    }

    std::array<char16_t, 256> single_ = [] {
        std::array<char16_t, 256> ascii{};
        for (int i = 0; i < 0x80; ++i)
            ascii[size_t(i)] = char16_t(i);
        return ascii;
    }();
    std::array<char16_t, 126 * 191> pairs_{};
};

bool isAscii(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

// Calls put for each character; false at the first byte sequence without one.
// NUL is a character of the code page like any other.
template <typename Sink> bool decodeGbk(const char *data, qsizetype size, Sink put)
{
    const GbkTable &table = GbkTable::instance();
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte < 0x80) {
            put(char16_t(byte));
            continue;
        }
        char16_t c = 0;
        if (GbkTable::isLead(byte)) {
            if (i + 1 >= size)
                return false;
            c = table.pair(byte, static_cast<unsigned char>(data[++i]));
        } else {
            c = table.single(byte);
        }
        if (c == 0)
            return false;
        put(c);
    }
    return true;
}

char *appendUtf8(char *out, char16_t c)
{
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | (c >> 6));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xE0 | (c >> 12));
        *out++ = char(0x80 | ((c >> 6) & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

Result reject(Rejection rejection, int line, const QString &reason)
{
    Result r;
    r.rejection = rejection;
    r.line = line;
    r.reason = reason;
    return r;
}

QString tooLarge()
{
    return QStringLiteral("文件大于 %1 MiB，不是填报结果文件").arg(Survey::kMaxFileBytes >> 20);
}

} // namespace

bool decodeStrict(const char *data, qsizetype size, QString &out)
{
    if (isAscii(data, size)) {
        out = QString::fromLatin1(data, size);
        return true;
    }
    out.resize(size); // never more characters than bytes
    char16_t *at = reinterpret_cast<char16_t *>(out.data());
    const bool ok = decodeGbk(data, size, [&at](char16_t c) { *at++ = c; });
    out.truncate(at - reinterpret_cast<const char16_t *>(out.constData()));
    return ok;
}

namespace {

// Where each line of a result file starts, found in one pass over the whole
// file, and which lines hold a byte above ASCII (most are plain: numbers and codes).
struct Framing {
    std::array<qsizetype, Survey::kLineCount + 1> starts{}; // starts[k]: line k + 1; the last one is the end
    std::array<bool, Survey::kLineCount> wide{};
    qsizetype nonAsciiBytes = 0;
};

// Finds the 139 lines, each ended by CR LF; the rejection when they are not there.
// Most lines are a few bytes long, so a plain loop beats a search per line.
std::optional<Result> frameLines(const QByteArray &bytes, Framing &framing)
{
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    int count = 0;
    unsigned char high = 0; // the bytes of the line so far, or-ed: bit 7 tells a byte above ASCII
    auto framingFault = [&count] {
        return reject(Rejection::Framing, count + 1,
                      QStringLiteral("第 %1 行没有以回车换行（CR LF）结束").arg(count + 1));
    };
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c > '\r') { // neither CR nor LF
            high |= c;
            framing.nonAsciiBytes += c >> 7;
            continue;
        }
        if (c == '\r') {
            // GBK trail bytes are never CR or LF, so a CR LF always ends a line.
            if (i + 1 == size || data[i + 1] != '\n')
                return framingFault();
            if (count == Survey::kLineCount)
                return reject(Rejection::Framing, 0, QStringLiteral("文件多于 %1 行").arg(Survey::kLineCount));
            framing.wide[size_t(count)] = high >= 0x80;
            high = 0;
            framing.starts[size_t(++count)] = ++i + 1;
        } else if (c == '\n') {
            return framingFault();
        }
    }
    if (framing.starts[size_t(count)] != size)
        return framingFault(); // the last line has no CR LF
    if (count != Survey::kLineCount)
        return reject(Rejection::Framing, 0,
                      QStringLiteral("文件只有 %1 行，应为 %2 行").arg(count).arg(Survey::kLineCount));
    return std::nullopt;
}

// Decodes the framed lines from GBK, into strings or into one block of UTF-8.
Result decodeLines(const QByteArray &bytes, const Framing &framing, Decode decode)
{
    const char *data = bytes.constData();
    Result r;
    char *out = nullptr;
    if (decode == Decode::Lines) {
        r.lines.reserve(Survey::kLineCount);
    } else {
        // A byte above ASCII grows by at most two in UTF-8 (a pair gives at
        // most three bytes, the one single byte, €, three).
        r.utf8.resize(bytes.size() + 2 * framing.nonAsciiBytes);
        out = r.utf8.data();
    }
    for (int i = 0; i < Survey::kLineCount; ++i) {
        const char *line = data + framing.starts[size_t(i)];
        const qsizetype length = framing.starts[size_t(i) + 1] - framing.starts[size_t(i)] - 2;
        bool ok = true;
        if (decode == Decode::Lines) {
            QString text;
            ok = decodeStrict(line, length, text);
            r.lines.append(text);
        } else if (!framing.wide[size_t(i)]) {
            std::memcpy(out, line, size_t(length));
            out += length;
        } else {
            ok = decodeGbk(line, length, [&out](char16_t c) { out = appendUtf8(out, c); });
        }
        if (!ok)
            return reject(Rejection::NotGbk, i + 1, QStringLiteral("第 %1 行含有不是 GBK 编码的字节").arg(i + 1));
        if (out)
            *out++ = '\n';
    }
    if (out) {
        r.utf8.truncate(out - r.utf8.constData());
        if (r.utf8.capacity() - r.utf8.size() > 256) // kept for as long as the data set lives
            r.utf8.squeeze();
    }
    r.bytes = bytes;
    return r;
}

} // namespace

Result parse(const QByteArray &bytes, Decode decode)
{
    if (bytes.size() > Survey::kMaxFileBytes)
        return reject(Rejection::TooLarge, 0, tooLarge());
    if (bytes.isEmpty())
        return reject(Rejection::Framing, 0, QStringLiteral("文件是空的"));
    // The program writes GBK, which never starts so: the mark would become
    // part of the enterprise's name.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return reject(Rejection::Utf8Mark, 0, QStringLiteral("文件以 UTF-8 标记开头，不是程序保存的填报结果"));
    Framing framing;
    if (std::optional<Result> fault = frameLines(bytes, framing)) {
        fault->bytes = bytes; // so that a reader can tell a cut file from one that never was a result file
        return *fault;
    }
    Result r = decodeLines(bytes, framing, decode);
    if (r.rejection == Rejection::NotGbk)
        r.bytes = bytes;
    return r;
}

Result read(const QString &path, Decode decode)
{
    return readNative(FileSystemCalls::nativePath(path), decode);
}

FileBytes readRegularFile(const QByteArray &nativePath, qint64 maxBytes)
{
    const FileSystemCalls::ReadFile read = FileSystemCalls::readRegularFile(nativePath, maxBytes);
    FileBytes file;
    if (read.error != 0) {
        file.rejection = Rejection::Unreadable;
        file.reason = QStringLiteral("无法读取文件：") + FileSystemCalls::describe(read.error);
    } else if (read.notRegular) {
        file.rejection = Rejection::Unreadable;
        file.reason = QStringLiteral("不是普通文件");
    } else if (read.tooLarge) {
        file.rejection = Rejection::TooLarge;
    } else {
        file.bytes = read.bytes;
        file.modified = read.modified;
    }
    return file;
}

Result readNative(const QByteArray &nativePath, Decode decode)
{
    const FileBytes file = readRegularFile(nativePath, Survey::kMaxFileBytes);
    if (file.rejection != Rejection::None)
        return reject(file.rejection, 0, file.rejection == Rejection::TooLarge ? tooLarge() : file.reason);
    Result r = parse(file.bytes, decode);
    r.modified = file.modified;
    return r;
}

} // namespace ResultFileReader
