// TForm3: the performance data page (section "二.绩效数据", three tabs of figures).
#pragma once

#include "Page.h"

class TForm3 : public Page {
    Q_OBJECT
public:
    explicit TForm3(Shell &shell);
};
