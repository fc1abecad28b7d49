// What a person does with the controls of a page: click, type, pick.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace Drive {

// Clicks a radio button or check box on its indicator; a push button in its middle.
inline void click(QAbstractButton *button)
{
    QVERIFY(button);
    QVERIFY(button->isVisible());
    if (button->inherits("QPushButton"))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Clicks into the field and types the text key by key; characters without a
// key of their own arrive as the text of an unnamed key, as an input method sends them.
inline void type(QLineEdit *field, const QString &text)
{
    QVERIFY(field);
    QVERIFY(field->isVisible() && field->isEnabled());
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 4, field->height() / 2));
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(field, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(c.unicode()), QString(c), Qt::NoModifier);
    }
}

// Opens the list with the mouse and clicks the item.
inline void pick(QComboBox *list, const QString &item)
{
    QVERIFY(list);
    QTest::mouseClick(list, Qt::LeftButton);
    QAbstractItemView *view = list->view();
    QTRY_VERIFY(view->isVisible());
    // The list ignores a release that comes too soon after it opened.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const int row = list->findText(item);
    QVERIFY2(row >= 0, qPrintable(item));
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_VERIFY(!view->isVisible());
}

} // namespace Drive
