// TForm7: the foundation and CSR organisation page (section "一.企业概况", questions 4 to 6).
#pragma once

#include "Page.h"
#include "ProfileSheet.h"

class QLineEdit;

class TForm7 : public Page {
    Q_OBJECT
public:
    explicit TForm7(Shell &shell);

private:
    void FormCreate();
    void RadioButton31Click();
    void RadioButton32Click();
    void RadioButton23Click();
    void RadioButton24Click();
    void BitBtn1Click();
    void BitBtn2Click();

    Profile::Sheet sheet_;
    QLineEdit *Edit6 = nullptr;
    QLineEdit *Edit11 = nullptr;
};
