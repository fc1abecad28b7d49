// The button pictures: 16 x 16 images kept as 32 x 16 bitmaps holding the
// normal and the greyed image side by side.
#pragma once

#include <QIcon>
#include <QImage>

enum class Glyph { Pencil, Forward, Back, Save };

namespace Glyphs {

// The icon with its normal and disabled images.
QIcon icon(Glyph glyph);

// Splits a 32 x 16 glyph bitmap into its two halves, the colour of the
// bottom-left pixel made transparent. Returns false for any other shape.
bool split(const QImage &bitmap, QImage &normal, QImage &greyed);

} // namespace Glyphs
