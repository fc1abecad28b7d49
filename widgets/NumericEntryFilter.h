// The key filter of the number fields: the numeric entry filter (digits and one
// decimal point) and the digit-only filter.
#pragma once

#include <QObject>

class QLineEdit;

class NumericEntryFilter : public QObject {
    Q_OBJECT
public:
    enum class Mode { Decimal, DigitsOnly };

    explicit NumericEntryFilter(Mode mode, QObject *parent = nullptr);

    // Installs a filter of the given kind on the field; the field owns it.
    static NumericEntryFilter *install(QLineEdit *field, Mode mode = Mode::Decimal);

    // The rule for one typed character against the field's whole current text.
    bool accepts(QChar typed, const QString &currentText) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Mode mode_;
};
