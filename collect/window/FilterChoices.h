// The window's filter: one variable and the codes of it to keep, and a box
// for leaving out the records with an "错误" of the data checks; the same
// filter as the command line's --where and --without-errors.
#pragma once

#include "collect/data/RecordFilter.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QListWidget;

class FilterChoices : public QWidget {
    Q_OBJECT
public:
    explicit FilterChoices(QWidget *parent = nullptr);

    // The filter chosen; false, and why, when a variable is chosen but no code of it.
    bool filter(RecordFilter &filter, QString &why) const;

private:
    void showCodes();

    QComboBox *variableBox_ = nullptr;
    QListWidget *codeList_ = nullptr;
    QCheckBox *withoutErrorsBox_ = nullptr;
};
