// The survey's font families, with installed substitutes registered so that
// Chinese text is always drawn.
#pragma once

#include <QFont>
#include <QString>

namespace Fonts {

inline const QString kYaHei = QStringLiteral("微软雅黑");
inline const QString kSong = QStringLiteral("宋体");
inline const QString kHei = QStringLiteral("黑体");
inline const QString kWindow = QStringLiteral("MS Sans Serif");

// Registers the substitutes of the four families; call once at start-up.
void registerSubstitutes();

// A font of the family at a size in pixels.
QFont pixelFont(const QString &family, int pixels, bool bold = false);

} // namespace Fonts
