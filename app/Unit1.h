// TForm1: the intro page (banner, instructions, "开始填报").
#pragma once

#include "Page.h"

class QLabel;
class GlyphButton;

class TForm1 : public Page {
    Q_OBJECT
public:
    explicit TForm1(Shell &shell);

    // Shows the banner picture, or nothing when it cannot be decoded.
    void setBanner(const QImage &banner);

private:
    void FormCreate();
    void BitBtn1Click();

    QLabel *Image1 = nullptr;
    GlyphButton *BitBtn1 = nullptr;
};
