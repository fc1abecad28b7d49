// Answers modal message boxes from a timer that runs inside their own event loop.
#include "tests/support/ModalBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>

ModalBoxes::ModalBoxes()
{
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &ModalBoxes::poll);
    timer_.start();
}

ModalBoxes::~ModalBoxes() = default;

void ModalBoxes::answerWith(QMessageBox::StandardButton button)
{
    answers_.append({button, Qt::Key_unknown});
}

void ModalBoxes::answerWithKey(Qt::Key key)
{
    answers_.append({QMessageBox::NoButton, key});
}

void ModalBoxes::answerByClosing()
{
    answers_.append({QMessageBox::NoButton, Qt::Key_unknown, true});
}

void ModalBoxes::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box == current_)
        return;
    current_ = box;
    SeenBox seen;
    seen.text = box->text();
    seen.title = box->windowTitle();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    if (QPushButton *def = box->defaultButton())
        seen.defaultButton = box->standardButton(def);
    seen_.append(seen);

    if (answers_.isEmpty()) {
        ++unexpected_;
        box->reject();
        current_ = nullptr;
        return;
    }
    const Answer answer = answers_.takeFirst();
    if (answer.close) {
        box->close();
    } else if (answer.key != Qt::Key_unknown) {
        QWidget *target = QApplication::focusWidget();
        if (!target || target->window() != box)
            target = box;
        QTest::keyClick(target, answer.key);
    } else if (QAbstractButton *button = box->button(answer.button)) {
        button->click();
    } else {
        ++unexpected_;
        box->reject();
    }
    // A later box may be built at the same address: forget this one once it is closed.
    if (!box->isVisible())
        current_ = nullptr;
}
