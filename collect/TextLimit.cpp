// Cutting texts to the formats' limits.
#include "collect/TextLimit.h"

namespace TextLimit {
namespace {

bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The byte length of the first maxCharacters characters.
qsizetype bytesOfCharacters(QByteArrayView utf8, qsizetype maxCharacters)
{
    qsizetype characters = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (isContinuation(utf8[i]))
            continue;
        if (characters == maxCharacters)
            return i;
        ++characters;
    }
    return utf8.size();
}

} // namespace

QByteArrayView cutBytes(QByteArrayView utf8, qsizetype maxBytes)
{
    if (utf8.size() <= maxBytes)
        return utf8;
    qsizetype end = maxBytes;
    while (end > 0 && isContinuation(utf8[end]))
        --end;
    return utf8.first(end);
}

QByteArrayView cut(FileFormat format, QByteArrayView utf8)
{
    switch (format) {
    case FileFormat::Dta:
        return cutBytes(utf8, kDtaBytes);
    case FileFormat::Sav:
        return cutBytes(utf8, kSavBytes);
    case FileFormat::Xlsx:
        if (utf8.size() <= kXlsxCharacters)
            return utf8;
        return utf8.first(bytesOfCharacters(utf8, kXlsxCharacters));
    default:
        return utf8;
    }
}

bool exceeds(FileFormat format, QByteArrayView utf8)
{
    return cut(format, utf8).size() != utf8.size();
}

} // namespace TextLimit
