// The basic information page (section "一.企业概况", questions 1 to 3): lines 1 to 10.
#pragma once

#include "pages/profile/ProfileSheet.h"
#include "widgets/Page.h"

class AnswerRecord;
class QAbstractButton;
class QLineEdit;

class BasicInformationPage : public Page {
    Q_OBJECT
public:
    explicit BasicInformationPage(AnswerRecord &record);

    // Shows or hides the other-industry field as its industry button says;
    // hiding empties it.
    void followIndustry();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void onNextClicked();

    Profile::Sheet sheet_;
    QLineEdit *nameField_ = nullptr;
    QLineEdit *otherIndustryField_ = nullptr;
    QAbstractButton *otherIndustryButton_ = nullptr;
};
