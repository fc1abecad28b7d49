// The behaviour every single-line field of the program shares: no line break,
// no control character and no character outside code page 936 ever enters it, so line k of the
// result file is always answer k, exactly as the user saw it; and no length
// limit cuts what it holds.
#pragma once

#include <QValidator>

class QLineEdit;
class QWidget;

class TextFieldGuard : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;

    // Guards every single-line field inside the page and lifts its length limit.
    static void guardFieldsOf(QWidget *page);

    // The text as a field may hold it: each line break (CR LF, CR, LF or a
    // Unicode line or paragraph separator) becomes one blank, and control
    // characters and characters that code page 936 cannot represent are dropped.
    static QString sanitize(const QString &text);

    State validate(QString &input, int &pos) const override;
};
