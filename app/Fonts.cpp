// Font substitution: the survey names Windows families; these machines have others.
#include "Fonts.h"

#include <QStringList>

namespace Fonts {

void registerSubstitutes()
{
    const QStringList sans = {QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei"),
                              QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
    const QStringList song = {QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei"),
                              QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("WenQuanYi Micro Hei")};
    const QStringList hei = {QStringLiteral("SimHei"), QStringLiteral("WenQuanYi Zen Hei"),
                             QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")};
    // The window font is a Latin face; the CJK faces after it draw the Chinese captions.
    const QStringList window = {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(kYaHei, sans);
    QFont::insertSubstitutions(kSong, song);
    QFont::insertSubstitutions(kHei, hei);
    QFont::insertSubstitutions(kWindow, window);
}

QFont pixelFont(const QString &family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace Fonts
