// TForm7: the foundation and CSR organisation page (section "一.企业概况", questions 4 to 6).
#include "Unit7.h"

TForm7::TForm7(Shell &shell) : Page(shell, QSize(755, 457), Page::Centring::PrimaryScreen)
{
    setObjectName(QStringLiteral("Form7"));
}
