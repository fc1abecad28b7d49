// Code page 936 through glibc's iconv.
#include "platform/GbkCodec.h"

#include <QList>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <mutex>

namespace {

constexpr const char *kCodePage = "CP936";

class Converter {
public:
    Converter(const char *to, const char *from) : handle_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(handle_);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input; returns false when an input sequence has no
    // form in the target encoding (that sequence is skipped).
    bool convert(const QByteArray &in, QByteArray &out, int unitSize)
    {
        out.clear();
        if (!valid())
            return false;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        bool clean = true;
        char *src = const_cast<char *>(in.constData());
        size_t srcLeft = size_t(in.size());
        std::array<char, 512> buffer{};
        while (srcLeft > 0) {
            char *dst = buffer.data();
            size_t dstLeft = buffer.size();
            size_t r = iconv(handle_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer.data(), qsizetype(buffer.size() - dstLeft));
            if (r == size_t(-1)) {
                if (errno == E2BIG)
                    continue;
                clean = false;
                if (errno == EILSEQ && srcLeft >= size_t(unitSize)) {
                    src += unitSize;
                    srcLeft -= size_t(unitSize);
                    continue;
                }
                break;
            }
        }
        char *dst = buffer.data();
        size_t dstLeft = buffer.size();
        iconv(handle_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer.data(), qsizetype(buffer.size() - dstLeft));
        return clean;
    }

private:
    iconv_t handle_;
};

QByteArray toUtf32(const QString &text)
{
    const QList<uint> codes = text.toUcs4();
    return QByteArray(reinterpret_cast<const char *>(codes.constData()), codes.size() * qsizetype(sizeof(uint)));
}

std::mutex &conversionMutex()
{
    static std::mutex m;
    return m;
}

} // namespace

namespace GbkCodec {

bool encode(const QString &text, QByteArray &out)
{
    std::lock_guard lock(conversionMutex());
    static Converter toGbk(kCodePage, "UTF-32LE");
    // Encoding per code point keeps unrepresentable characters from
    // swallowing their neighbours.
    return toGbk.convert(toUtf32(text), out, 4);
}

QString decode(const QByteArray &bytes)
{
    std::lock_guard lock(conversionMutex());
    static Converter fromGbk("UTF-8", kCodePage);
    QByteArray utf8;
    fromGbk.convert(bytes, utf8, 1);
    return QString::fromUtf8(utf8);
}

char16_t decodeSequence(const char *bytes, int size)
{
    std::lock_guard lock(conversionMutex());
    static Converter toUtf16("UTF-16LE", kCodePage);
    QByteArray out;
    if (!toUtf16.convert(QByteArray(bytes, size), out, size) || out.size() != 2)
        return 0;
    return char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
}

} // namespace GbkCodec
