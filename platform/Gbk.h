// GBK (code page 936) conversion: the encoding of every answer and of the result file.
#pragma once

#include <QByteArray>
#include <QString>

namespace Gbk {

// Encodes text as code page 936. Characters the code page cannot represent
// make ok false; the returned bytes then hold everything else.
QByteArray encode(const QString &text, bool *ok = nullptr);

// Decodes code page 936 bytes (used by tests and tools to read the result file).
QString decode(const QByteArray &bytes);

// The character of one byte or one pair of bytes, or 0 when code page 936
// has none: strict, for readers that must refuse what does not decode.
char16_t decodeSequence(const char *bytes, int size);

// True when the code point has a code page 936 form.
bool canEncode(char32_t codePoint);

// Removes every character that code page 936 cannot represent.
QString keepEncodable(const QString &text);

} // namespace Gbk
