// A push button with a 16 x 16 picture at the left of its caption.
#pragma once

#include "widgets/Glyphs.h"

#include <QPushButton>

class GlyphButton : public QPushButton {
    Q_OBJECT
public:
    GlyphButton(Glyph glyph, const QString &caption, QWidget *parent);

protected:
    // Enter on a focused button presses it, as on the survey's home platform.
    void keyPressEvent(QKeyEvent *event) override;
};
