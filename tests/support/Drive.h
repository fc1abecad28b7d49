// What a person does with the controls of a page: find them, click, tick, type,
// pick from a list, and bring a tab to the front.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStringView>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace Drive {

// How long to wait for the screen to catch up: generous, because the
// sanitizer build runs several times slower than the plain one.
inline constexpr int kPatience = 20000;

// The control of that name on the page, or nullptr with a warning that names it.
template <class T> T *control(const QWidget *page, const QString &name)
{
    T *found = page ? page->findChild<T *>(name) : nullptr;
    if (!found)
        qWarning("no %s named %s on %s", T::staticMetaObject.className(), qPrintable(name),
                 page ? qPrintable(page->objectName()) : "no page");
    return found;
}

// Where a check box or radio button is clicked: on its indicator, not its caption.
inline QPoint onIndicator(const QAbstractButton *button)
{
    return QPoint(8, button->height() / 2);
}

// Clicks a radio button or check box on its indicator; a push button in its middle.
inline void click(QAbstractButton *button)
{
    QVERIFY(button);
    QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
    if (qobject_cast<QPushButton *>(button))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        QTest::mouseClick(button, Qt::LeftButton, {}, onIndicator(button));
}

// Clicks into the field after its last character.
inline void clickInto(QLineEdit *field)
{
    QVERIFY(field);
    QVERIFY2(field->isVisible() && field->isEnabled(), qPrintable(field->objectName()));
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 4, field->height() / 2));
}

// Types the text key by key after what the field holds; a line break is the
// Enter key. A character without a key of its own (Chinese, a line separator,
// an emoji) arrives as the text of a key, as a keyboard layout sends it.
inline void type(QLineEdit *field, const QString &text)
{
    clickInto(field);
    if (QTest::currentTestFailed())
        return;
    for (char32_t c : text.toUcs4()) {
        if (c == '\n' || c == '\r') // a line break is typed with Enter
            QTest::keyClick(field, Qt::Key_Return);
        else if (c < 128)
            QTest::keyClick(field, char(c));
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(c), QString::fromUcs4(&c, 1), Qt::NoModifier);
    }
}

// Commits the text in one go, as an input method does after composing it.
inline void commit(QLineEdit *field, const QString &text)
{
    clickInto(field);
    if (QTest::currentTestFailed())
        return;
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(field, &event);
}

// Opens the list with the mouse and clicks the item, then checks it was taken.
inline void pick(QComboBox *list, const QString &item)
{
    QVERIFY(list);
    QVERIFY2(list->isVisible() && list->isEnabled(), qPrintable(list->objectName()));
    const int row = list->findText(item);
    QVERIFY2(row >= 0, qPrintable(item));
    QAbstractItemView *view = list->view();
    QTest::mouseClick(list, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), kPatience);
    QVERIFY(QTest::qWaitForWindowExposed(view->window(), kPatience));
    const QModelIndex index = view->model()->index(row, list->modelColumn());
    // The list ignores a release that comes within a double-click interval of
    // its opening (and of the press that opened it), so rest a while first,
    // as a person's eye does; a slow build needs no more than this.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY2(view->isVisible(), qPrintable(list->objectName() + " closed by itself"));
    view->scrollTo(index); // a long list is first scrolled to the item
    const QRect rect = view->visualRect(index);
    QVERIFY2(view->viewport()->rect().contains(rect.center()), qPrintable(item));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY2_WITH_TIMEOUT(!view->isVisible(), qPrintable(list->objectName() + " stayed open"), kPatience);
    QCOMPARE(list->currentIndex(), row);
}

// Brings the widget's tab to the front with a click on its header, for every
// tab widget it lies in (outermost first), then checks it can be seen.
inline void showTabOf(QWidget *widget)
{
    QVERIFY(widget);
    QList<QTabWidget *> tabWidgets;
    for (QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(parent))
            tabWidgets.prepend(tabs);
    for (QTabWidget *tabs : tabWidgets) {
        int index = 0;
        while (index < tabs->count() && !tabs->widget(index)->isAncestorOf(widget))
            ++index;
        QVERIFY(index < tabs->count());
        if (tabs->currentIndex() != index)
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
        QCOMPARE(tabs->currentIndex(), index);
    }
    QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
}

// The same for the control of that name on the page.
inline void showTabOf(QWidget *page, const QString &name)
{
    QWidget *found = control<QWidget>(page, name);
    QVERIFY2(found, qPrintable(name));
    showTabOf(found);
}

// Moves the focus with Tab until it reaches the widget; false when it never does.
inline bool tabTo(QWidget *widget, int mostSteps = 40)
{
    for (int step = 0; step < mostSteps && !widget->hasFocus(); ++step) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            return false;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return widget->hasFocus();
}

// The same steps, naming the control by its object name on the page. Each
// acts on what is on screen: a control on a hidden tab fails, so a move that
// should have shown it is checked too. Call showTabOf first to go there.

// Presses a push button.
inline void press(QWidget *page, const QString &button)
{
    auto *found = control<QPushButton>(page, button);
    QVERIFY2(found, qPrintable(button));
    click(found);
}

// Clicks a check box or radio button and checks that it changed state.
inline void tick(QWidget *page, const QString &box)
{
    auto *found = control<QAbstractButton>(page, box);
    QVERIFY2(found, qPrintable(box));
    const bool before = found->isChecked();
    click(found);
    QVERIFY2(found->isChecked() != before, qPrintable(box + " did not change"));
}

// Types after what the field holds (the field's own filters judge every key).
inline void type(QWidget *page, const QString &field, const QString &text)
{
    auto *found = control<QLineEdit>(page, field);
    QVERIFY2(found, qPrintable(field));
    type(found, text);
}

enum class Entry { Keys, InputMethod };

// Replaces what the field holds (select all, erase, enter the text) and
// checks that the field shows exactly the text.
inline void typeInto(QWidget *page, const QString &field, const QString &text, Entry entry = Entry::Keys)
{
    auto *found = control<QLineEdit>(page, field);
    QVERIFY2(found, qPrintable(field));
    clickInto(found);
    if (QTest::currentTestFailed())
        return;
    QTest::keyClick(found, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(found, Qt::Key_Backspace);
    QVERIFY2(found->text().isEmpty(), qPrintable(field));
    if (entry == Entry::InputMethod)
        commit(found, text);
    else
        type(found, text);
    QCOMPARE(found->text(), text);
}

// Picks the item from the list of that name.
inline void pick(QWidget *page, const QString &list, const QString &item)
{
    auto *found = control<QComboBox>(page, list);
    QVERIFY2(found, qPrintable(list));
    pick(found, item);
}

} // namespace Drive
