// TForm7: the foundation and CSR organisation page (section "一.企业概况", questions 4 to 6).
#pragma once

#include "Page.h"

class TForm7 : public Page {
    Q_OBJECT
public:
    explicit TForm7(Shell &shell);
};
