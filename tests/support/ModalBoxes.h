// Answers the modal message boxes a test provokes, after noting what each showed.
#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

// What one message box showed.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

class ModalBoxes : public QObject {
    Q_OBJECT
public:
    ModalBoxes();
    ~ModalBoxes() override;

    // Queues the answer to the next box: press this button.
    void answerWith(QMessageBox::StandardButton button);
    // Queues the answer to the next box: press this key (Enter, Escape, ...).
    void answerWithKey(Qt::Key key);
    // Queues the answer to the next box: its close box.
    void answerByClosing();

    const QList<SeenBox> &seen() const { return seen_; }
    int count() const { return int(seen_.size()); }
    const SeenBox &last() const { return seen_.last(); }
    // Boxes that appeared with no answer queued (they were closed with Escape).
    int unexpected() const { return unexpected_; }

private:
    void poll();

    struct Answer {
        QMessageBox::StandardButton button;
        Qt::Key key;
        bool close = false;
    };
    QList<Answer> answers_;
    QList<SeenBox> seen_;
    QTimer timer_;
    QPointer<QMessageBox> current_;
    int unexpected_ = 0;
};
