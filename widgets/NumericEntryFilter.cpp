// Judges each character typed into a number field, or committed to it by an
// input method, against the field's text; editing keys pass, and the copy,
// cut, paste and undo shortcuts do nothing.
#include "widgets/NumericEntryFilter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr char16_t kBackspace = 8;

// Keys that edit or move without inserting a character.
bool insertsNothing(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Delete:
    case Qt::Key_Insert:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
        return true;
    default:
        return false;
    }
}

// Copy, cut, paste and undo reach a classic text field as control characters
// and are swallowed with them.
bool isClipboardOrUndoShortcut(const QKeyEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_C:
    case Qt::Key_X:
    case Qt::Key_V:
    case Qt::Key_Z:
        return true;
    default:
        return false;
    }
}

} // namespace

NumericEntryFilter::NumericEntryFilter(Mode mode, QObject *parent) : QObject(parent), mode_(mode) {}

NumericEntryFilter *NumericEntryFilter::install(QLineEdit *field, Mode mode)
{
    auto *filter = new NumericEntryFilter(mode, field);
    field->installEventFilter(filter);
    return filter;
}

bool NumericEntryFilter::accepts(QChar typed, const QString &currentText) const
{
    const char16_t c = typed.unicode();
    if (c == kBackspace || (c >= u'0' && c <= u'9'))
        return true;
    if (c == u'.' && mode_ == Mode::Decimal)
        return !currentText.contains(QLatin1Char('.'));
    return false;
}

bool NumericEntryFilter::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field)
        return false;

    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (isClipboardOrUndoShortcut(key))
            return true;
        if (insertsNothing(key->key()) || key->text().isEmpty())
            return false;
        // Other shortcuts (select all, ...) insert nothing and keep working.
        if (key->modifiers() & Qt::ControlModifier)
            return false;
        QString text = field->text();
        for (QChar c : key->text()) {
            if (!accepts(c, text))
                return true;
            text += c;
        }
        return false;
    }

    if (event->type() == QEvent::InputMethod) {
        // Characters committed by an input method count as typed.
        auto *im = static_cast<QInputMethodEvent *>(event);
        const QString commit = im->commitString();
        if (commit.isEmpty())
            return false;
        QString text = field->text();
        QString passed;
        for (QChar c : commit) {
            if (accepts(c, text)) {
                passed += c;
                text += c;
            }
        }
        if (passed == commit)
            return false;
        QInputMethodEvent filtered(im->preeditString(), im->attributes());
        filtered.setCommitString(passed, im->replacementStart(), im->replacementLength());
        QCoreApplication::sendEvent(field, &filtered); // passes: every character left is accepted
        return true;
    }
    return false;
}
