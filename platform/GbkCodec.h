// The system's own code page 936 converter behind Gbk: glibc's iconv on
// Linux, WideCharToMultiByte and MultiByteToWideChar on Windows. Both give
// the same bytes for the same text; Gbk adds what does not depend on the system.
#pragma once

#include <QByteArray>
#include <QString>

namespace GbkCodec {

// Encodes text that holds at least one non-ASCII character. Characters the
// code page cannot represent are left out and make the result false; nothing
// is ever replaced by a look-alike.
bool encode(const QString &text, QByteArray &out);

// Decodes bytes; sequences with no character are skipped.
QString decode(const QByteArray &bytes);

// The character of one byte or one pair of bytes, or 0 when the code page
// has none (strict: no replacement character).
char16_t decodeSequence(const char *bytes, int size);

} // namespace GbkCodec
