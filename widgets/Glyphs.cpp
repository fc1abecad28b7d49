// Loading of the button pictures.
#include "widgets/Glyphs.h"

#include <QPixmap>
#include <iterator>

namespace Glyphs {

bool split(const QImage &bitmap, QImage &normal, QImage &greyed)
{
    if (bitmap.width() != 32 || bitmap.height() != 16)
        return false;
    QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    normal = image.copy(0, 0, 16, 16);
    greyed = image.copy(16, 0, 16, 16);
    return true;
}

QIcon icon(Glyph glyph)
{
    static const char *const files[] = {":/glyphs/pencil.bmp", ":/glyphs/forward.bmp", ":/glyphs/back.bmp",
                                        ":/glyphs/save.bmp"};
    // Twenty buttons share four pictures: decode each once.
    static QIcon loaded[std::size(files)];
    QIcon &result = loaded[int(glyph)];
    QImage normal, greyed;
    if (result.isNull() && split(QImage(QString::fromLatin1(files[int(glyph)])), normal, greyed)) {
        result.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
        result.addPixmap(QPixmap::fromImage(greyed), QIcon::Disabled);
    }
    return result;
}

} // namespace Glyphs
