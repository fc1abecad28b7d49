// TForm3: the performance data page (section "二.绩效数据", three tabs of figures).
#include "Unit3.h"

TForm3::TForm3(Shell &shell) : Page(shell, QSize(797, 631), Page::Centring::Desktop)
{
    setObjectName(QStringLiteral("Form3"));
}
