// Font substitution: the survey names Windows families, which other systems lack.
#include "widgets/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace Fonts {

void registerSubstitutes()
{
    // Where a family is installed (Windows), it is used as it is. Elsewhere one
    // CJK face serves all four families: every further font file costs
    // megabytes at start-up, and the installed CJK faces are all sans-serif anyway.
    const QStringList cjk = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                             QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Serif CJK SC")};
    auto substitute = [&](const QString &family, const QString &windowsFace) {
        if (!QFontDatabase::hasFamily(family))
            QFont::insertSubstitutions(family, QStringList{windowsFace} + cjk);
    };
    substitute(kYaHei, QStringLiteral("Microsoft YaHei"));
    substitute(kSong, QStringLiteral("SimSun"));
    substitute(kHei, QStringLiteral("SimHei"));
    // The window font is a Latin face; a CJK face after it draws the Chinese captions.
    substitute(kWindow, QStringLiteral("Microsoft Sans Serif"));
}

QFont pixelFont(const QString &family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace Fonts
