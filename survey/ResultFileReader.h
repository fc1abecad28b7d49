// Reading a result file back: the framing (139 lines, each ended by CR LF),
// the GBK decoding and the size limit. What the lines mean is checked by
// RecordCheck.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ResultFileReader {

enum class Rejection {
    None,
    Unreadable, // cannot be opened or read
    TooLarge,   // more than Survey::kMaxFileBytes
    Framing,    // not exactly 139 lines each ended by CR LF
    NotGbk,     // a line whose bytes are not valid GBK
    Utf8Mark,   // a UTF-8 byte-order mark before the content: an editor's save, not the program's
};

// What an accepted file is decoded into.
enum class Decode {
    Lines, // Result::lines, one string per line
    Utf8,  // Result::utf8 only: the collector keeps thousands of records, and
           // one block of UTF-8 per record costs a fraction of 139 strings
};

struct Result {
    Rejection rejection = Rejection::None;
    int line = 0;        // the first line at fault (1-based), 0 when the whole file is
    QString reason;      // a short Chinese sentence for people, naming what is wrong
    QStringList lines;   // the 139 decoded lines when accepted (Decode::Lines)
    QByteArray utf8;     // the 139 lines in UTF-8, each followed by LF (Decode::Utf8)
    QByteArray bytes;    // the bytes read (empty for Unreadable and TooLarge)
    qint64 modified = 0; // by read(): the file's modification time, in nanoseconds since the epoch

    bool accepted() const { return rejection == Rejection::None; }
};

// Decodes GBK bytes strictly: false when any byte sequence has no GBK meaning
// (Gbk::decode would skip it). Thread-safe.
bool decodeStrict(const char *data, qsizetype size, QString &out);

// Splits and decodes the bytes of a result file.
Result parse(const QByteArray &bytes, Decode decode = Decode::Lines);

// A whole regular file's bytes, read without ever waiting on it: a pipe or a
// device in its place is Unreadable, a file above maxBytes TooLarge (with no
// reason: the caller words it). Drafts are read this way as well.
struct FileBytes {
    Rejection rejection = Rejection::None; // None, Unreadable or TooLarge
    QString reason;                        // for Unreadable
    QByteArray bytes;
    qint64 modified = 0; // in nanoseconds since the epoch
};
FileBytes readRegularFile(const QByteArray &nativePath, qint64 maxBytes);

// Reads at most Survey::kMaxFileBytes + 1 bytes of the file and parses them. Anything
// but a regular file (a pipe, a device, a folder) is Unreadable.
Result read(const QString &path, Decode decode = Decode::Lines);

// The same for a path in the file system's own encoding, so that a file whose
// name is not valid UTF-8 can still be read.
Result readNative(const QByteArray &nativePath, Decode decode = Decode::Lines);

} // namespace ResultFileReader
