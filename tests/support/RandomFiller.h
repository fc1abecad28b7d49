// Fills the pages as a person would, with seeded random answers: clicks on the
// choices and boxes that are there to click, picks from the lists by keyboard,
// types into the fields that are open, now and then pastes text a number field
// would refuse, changes a choice or takes a tick back. What it may fill follows
// the screen: a field that is closed or hidden stays as it is.
#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>

class Page;
class QWidget;
namespace Survey {
struct Line;
}

class RandomFiller {
public:
    explicit RandomFiller(quint32 seed) : random_(seed) {}

    // Fills every tab of the page on screen and presses "下一步" on each;
    // on the questionnaire's last tab it stops before "保存退出".
    void fillPage(Page *page);

    // Presses the visible button with this caption on the page.
    static void press(Page *page, const QString &caption);

private:
    void fillVisible(Page *page);
    static QList<const Survey::Line *> linesOnScreen(Page *page);
    void chooseAndTick(Page *page, const QList<const Survey::Line *> &lines);
    void fillFields(Page *page, const QList<const Survey::Line *> &lines);
    void takeTicksBack(Page *page, const QList<const Survey::Line *> &lines);
    QString randomText(bool required);
    QString randomNumber();
    bool chance(int percent) { return int(random_.bounded(100)) < percent; }

    QRandomGenerator random_;
};
