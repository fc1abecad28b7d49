// The foundation and CSR organisation page (section "一.企业概况", questions 4
// to 6): lines 11 to 24.
#pragma once

#include "pages/profile/ProfileSheet.h"
#include "widgets/Page.h"

class AnswerRecord;
class QAbstractButton;

class FoundationPage : public Page {
    Q_OBJECT
public:
    explicit FoundationPage(AnswerRecord &record);

private:
    // The "是" that opens a set of detail fields, and the set.
    struct Opener {
        QAbstractButton *button;
        Profile::Detail detail;
    };
    void onDetailAnswered(const Opener &opener, bool opened);

    Profile::Sheet sheet_;
    AnswerRecord &record_;
};
