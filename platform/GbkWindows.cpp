// Code page 936 through the system's own converter on Windows.
#include "platform/GbkCodec.h"

#include <algorithm>
#include <windows.h>

namespace {

constexpr UINT kCodePage = 936;

// Windows maps code page 936's user-defined areas (and byte FF) to the
// Private Use Area; glibc, like GBK itself, gives them no character. They are
// refused both ways here too, so a file reads and writes the same everywhere.
bool isPrivateUse(char16_t c)
{
    return c >= 0xE000 && c <= 0xF8FF;
}

// One piece of UTF-16 (a character, or a surrogate pair) in code page 936.
// Without WC_NO_BEST_FIT_CHARS Windows turns À into à and reports nothing;
// with it, anything without an exact form comes back as the default
// character and sets usedDefault.
bool encodePiece(const wchar_t *text, int size, QByteArray &out)
{
    char bytes[16];
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text, size, bytes, int(sizeof bytes), nullptr,
                                        &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    out.append(bytes, n);
    return true;
}

} // namespace

namespace GbkCodec {

bool encode(const QString &text, QByteArray &out)
{
    out.clear();
    const auto *utf16 = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size = int(text.size());
    // The whole text at once; only a text with a character the code page
    // lacks is done again piece by piece, to keep everything else.
    out.resize(qsizetype(size) * 2 + 1);
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, utf16, size, out.data(), int(out.size()),
                                        nullptr, &usedDefault);
    const bool privateUse = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return isPrivateUse(c.unicode()); });
    if (n > 0 && !usedDefault && !privateUse) {
        out.resize(n);
        return true;
    }
    out.clear();
    bool clean = true;
    for (int i = 0; i < size;) {
        const int piece = QChar::isHighSurrogate(text.at(i).unicode()) && i + 1 < size &&
                                  QChar::isLowSurrogate(text.at(i + 1).unicode())
                              ? 2
                              : 1;
        if (isPrivateUse(text.at(i).unicode()) || !encodePiece(utf16 + i, piece, out))
            clean = false;
        i += piece;
    }
    return clean;
}

QString decode(const QByteArray &bytes)
{
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar byte = uchar(bytes[i]);
        const int size = byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size() ? 2 : 1;
        if (const char16_t c = decodeSequence(bytes.constData() + i, size)) {
            out.append(QChar(c));
            i += size;
        } else {
            i += 1; // skipped, as iconv does
        }
    }
    return out;
}

char16_t decodeSequence(const char *bytes, int size)
{
    if (size == 1 && uchar(bytes[0]) < 0x80)
        return char16_t(bytes[0]);
    wchar_t out[4];
    const int n = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, size, out, 4);
    if (n != 1 || isPrivateUse(char16_t(out[0])))
        return 0;
    return char16_t(out[0]);
}

} // namespace GbkCodec
