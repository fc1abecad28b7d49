// Cutting UTF-8 on character boundaries.
#include "collect/data/TextLimit.h"

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

QByteArrayView TextLimit::cutBytes(QByteArrayView utf8, qsizetype maxBytes)
{
    if (utf8.size() <= maxBytes)
        return utf8;
    qsizetype end = maxBytes;
    while (end > 0 && isContinuation(utf8[end]))
        --end;
    return utf8.first(end);
}

QByteArrayView TextLimit::cut(QByteArrayView utf8) const
{
    switch (unit) {
    case Unit::None:
        return utf8;
    case Unit::Bytes:
        return cutBytes(utf8, most);
    case Unit::Characters:
        // A character is at least one byte: a short text needs no count.
        return utf8.size() <= most ? utf8 : utf8.first(bytesOfCharacters(utf8, most));
    }
    return utf8;
}
