// Reading a result file back: the framing (139 lines, each ended by CR LF),
// the GBK decoding and the size limit. What the lines mean is checked by
// RecordCheck.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ResultFileReader {

// Anything larger is not a result file; it is never read whole.
inline constexpr qint64 kMaxBytes = 64 * 1024;

enum class Rejection {
    None,
    Unreadable, // cannot be opened or read
    TooLarge,   // more than kMaxBytes
    Framing,    // not exactly 139 lines each ended by CR LF
    NotGbk,     // a line whose bytes are not valid GBK
};

struct Result {
    Rejection rejection = Rejection::None;
    int line = 0;        // the first line at fault (1-based), 0 when the whole file is
    QString reason;      // a short Chinese sentence for people, naming what is wrong
    QStringList lines;   // the 139 decoded lines when accepted
    QByteArray bytes;    // the bytes read (empty for Unreadable and TooLarge)

    bool accepted() const { return rejection == Rejection::None; }
};

// Decodes GBK bytes strictly: false when any byte sequence has no GBK meaning
// (Gbk::decode would skip it). Thread-safe.
bool decodeStrict(const char *data, qsizetype size, QString &out);

// Splits and decodes the bytes of a result file.
Result parse(const QByteArray &bytes);

// Reads at most kMaxBytes + 1 bytes of the file and parses them. Anything
// but a regular file (a pipe, a device, a folder) is Unreadable.
Result read(const QString &path);

// The same for a path in the file system's own encoding, so that a file whose
// name is not valid UTF-8 can still be read.
Result readNative(const QByteArray &nativePath);

} // namespace ResultFileReader
