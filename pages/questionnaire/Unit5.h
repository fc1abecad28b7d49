// TForm5: the questionnaire page (section "三.企业履责现状", 23 questions on five tabs).
#pragma once

#include "Page.h"

class TForm5 : public Page {
    Q_OBJECT
public:
    explicit TForm5(Shell &shell);
};
