// TForm5: the questionnaire page (section "三.企业履责现状", 23 questions on five tabs).
#include "Unit5.h"

TForm5::TForm5(Shell &shell) : Page(shell, QSize(1013, 651), Page::Centring::Desktop)
{
    setObjectName(QStringLiteral("Form5"));
}
