// TForm2: the basic information page (section "一.企业概况", questions 1 to 3).
#pragma once

#include "Page.h"

class TForm2 : public Page {
    Q_OBJECT
public:
    explicit TForm2(Shell &shell);
};
