// TForm2: the basic information page (section "一.企业概况", questions 1 to 3).
#include "Unit2.h"

TForm2::TForm2(Shell &shell) : Page(shell, QSize(755, 495), Page::Centring::Desktop)
{
    setObjectName(QStringLiteral("Form2"));
}
