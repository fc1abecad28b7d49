// JPEG decoding through libjpeg, with errors turned into a null image.
#include "widgets/Banner.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

[[noreturn]] void onError(j_common_ptr info)
{
    auto *manager = reinterpret_cast<ErrorManager *>(info->err);
    std::longjmp(manager->escape, 1);
}

void onMessage(j_common_ptr) {}

// Everything that lives across setjmp is kept outside the function that calls it.
struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    QImage image;
};

bool decodeInto(Decoder &d, const QByteArray &jpeg)
{
    if (setjmp(d.errors.escape)) {
        jpeg_destroy_decompress(&d.info);
        return false;
    }
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char *>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d.info, TRUE);
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    if (d.info.output_components != 3 || d.info.output_width > 16384 || d.info.output_height > 16384) {
        jpeg_destroy_decompress(&d.info);
        return false;
    }
    d.image = QImage(int(d.info.output_width), int(d.info.output_height), QImage::Format_RGB888);
    if (d.image.isNull()) {
        jpeg_destroy_decompress(&d.info);
        return false;
    }
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = d.image.scanLine(int(d.info.output_scanline));
        jpeg_read_scanlines(&d.info, &row, 1);
    }
    jpeg_finish_decompress(&d.info);
    jpeg_destroy_decompress(&d.info);
    return true;
}

} // namespace

namespace Banner {

QImage decodeJpeg(const QByteArray &jpeg)
{
    if (jpeg.isEmpty())
        return {};
    Decoder decoder;
    decoder.info.err = jpeg_std_error(&decoder.errors.base);
    decoder.errors.base.error_exit = onError;
    decoder.errors.base.output_message = onMessage;
    if (!decodeInto(decoder, jpeg))
        return {};
    return decoder.image;
}

QImage load()
{
    QFile file(QStringLiteral(":/banner.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(file.readAll());
}

} // namespace Banner
