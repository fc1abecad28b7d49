// Font substitution: the survey names Windows families; these machines have others.
#include "widgets/Fonts.h"

#include <QStringList>

namespace Fonts {

void registerSubstitutes()
{
    // Windows faces first, where they exist. Elsewhere one CJK face serves all
    // four families: every further font file costs megabytes at start-up, and
    // the installed CJK faces are all sans-serif anyway.
    const QStringList cjk = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                             QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Serif CJK SC")};
    QFont::insertSubstitutions(kYaHei, QStringList{QStringLiteral("Microsoft YaHei")} + cjk);
    QFont::insertSubstitutions(kSong, QStringList{QStringLiteral("SimSun")} + cjk);
    QFont::insertSubstitutions(kHei, QStringList{QStringLiteral("SimHei")} + cjk);
    // The window font is a Latin face; a CJK face after it draws the Chinese captions.
    QFont::insertSubstitutions(kWindow, QStringList{QStringLiteral("Microsoft Sans Serif")} + cjk);
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
