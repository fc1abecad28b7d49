// The picture and the Enter key of the pages' buttons.
#include "widgets/GlyphButton.h"

#include <QKeyEvent>

GlyphButton::GlyphButton(Glyph glyph, const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{
    setIcon(Glyphs::icon(glyph));
    setIconSize(QSize(16, 16));
}

void GlyphButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}
