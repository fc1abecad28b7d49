// TForm2: the basic information page (section "一.企业概况", questions 1 to 3).
#pragma once

#include "Page.h"
#include "ProfileSheet.h"

class QLineEdit;
class QRadioButton;

class TForm2 : public Page {
    Q_OBJECT
public:
    explicit TForm2(Shell &shell);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void FormShow();
    void FormActivate();
    void IndustryClick();
    void RadioButton19Click();
    void BitBtn1Click();

    Profile::Sheet sheet_;
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit5 = nullptr;
};
