#include "platform/Gbk.h"

#include "platform/GbkCodec.h"

#include <QList>

#include <array>

namespace Gbk {

QByteArray encode(const QString &text, bool *ok)
{
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    QByteArray out;
    bool clean = true;
    if (ascii)
        out = text.toLatin1();
    else
        clean = GbkCodec::encode(text, out);
    if (ok)
        *ok = clean;
    return out;
}

QString decode(const QByteArray &bytes)
{
    return GbkCodec::decode(bytes);
}

char16_t decodeSequence(const char *bytes, int size)
{
    return GbkCodec::decodeSequence(bytes, size);
}

bool canEncode(char32_t codePoint)
{
    if (codePoint < 0x80)
        return true;
    if (codePoint > 0xFFFF || QChar::isSurrogate(codePoint))
        return false; // code page 936 has no characters outside the basic plane
    // Answers are checked character by character as they are typed, so each
    // code point is asked of the converter once and remembered.
    static std::array<unsigned char, 0x10000> known{};
    unsigned char &state = known[codePoint];
    if (state == 0) {
        bool ok = false;
        encode(QString(QChar(char16_t(codePoint))), &ok);
        state = ok ? 1 : 2;
    }
    return state == 1;
}

QString keepEncodable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (char32_t code : text.toUcs4()) {
        if (canEncode(code))
            out.append(QChar(char16_t(code)));
    }
    return out;
}

} // namespace Gbk
