// The intro page: banner, usage instructions and "开始填报".
#pragma once

#include "widgets/Page.h"

class QLabel;
class GlyphButton;

class IntroPage : public Page {
    Q_OBJECT
public:
    IntroPage();

    // Shows the banner picture, or nothing when it cannot be decoded.
    void setBanner(const QImage &banner);

signals:
    // A file was dropped on the page: a result file to open and correct.
    void resultFileDropped(const QString &path);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QLabel *banner_ = nullptr;
    GlyphButton *startButton_ = nullptr;
};
