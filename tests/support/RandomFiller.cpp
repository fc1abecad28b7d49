// Seeded random answers typed, clicked and picked into the pages' real widgets.
#include "tests/support/RandomFiller.h"

#include "survey/LineMap.h"
#include "tests/support/Drive.h"
#include "widgets/Page.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTabWidget>

using Survey::LineKind;

namespace {

// Characters a person of an enterprise types: Chinese, Latin, digits, marks, blanks.
const QString kAlphabet = QStringLiteral("甲乙丙丁公司企业有限责任科技发展中国北京上海 abcXYZ0123456789-（）·、，。");

bool usable(const QWidget *widget)
{
    return widget && widget->isVisible() && widget->isEnabled();
}

QPushButton *button(Page *page, const QString &caption)
{
    for (QPushButton *candidate : page->findChildren<QPushButton *>())
        if (candidate->isVisible() && candidate->text() == caption)
            return candidate;
    return nullptr;
}

} // namespace

void RandomFiller::press(Page *page, const QString &caption)
{
    QPushButton *found = button(page, caption);
    QVERIFY2(found, qPrintable(caption));
    Drive::click(found);
}

QString RandomFiller::randomText(bool required)
{
    QString text;
    const int length = int(random_.bounded(required ? 1 : 0, 12));
    for (int i = 0; i < length; ++i)
        text += kAlphabet[int(random_.bounded(int(kAlphabet.size())))];
    if (required && text.trimmed().isEmpty())
        text += u'甲';
    return text;
}

QString RandomFiller::randomNumber()
{
    QString text = QString::number(random_.bounded(1, 999999));
    if (chance(40))
        text += u'.' + QString::number(random_.bounded(0, 100));
    else if (chance(5))
        text += u'.'; // a point with nothing after it is kept as typed
    return text;
}

void RandomFiller::fillPage(Page *page)
{
    auto *tabs = page->findChild<QTabWidget *>();
    const int count = tabs ? tabs->count() : 1;
    for (int tab = 0; tab < count; ++tab) {
        fillVisible(page);
        if (QTest::currentTestFailed())
            return;
        if (button(page, QStringLiteral("保存退出")))
            return;
        press(page, QStringLiteral("下一步"));
    }
}

void RandomFiller::fillVisible(Page *page)
{
    const QList<const Survey::Line *> lines = linesOnScreen(page);
    // Choices and ticks first: they open the fields that belong to them.
    chooseAndTick(page, lines);
    if (QTest::currentTestFailed())
        return;
    fillFields(page, lines);
    if (QTest::currentTestFailed())
        return;
    takeTicksBack(page, lines);
}

// The lines of this page whose controls are on the tab now shown.
QList<const Survey::Line *> RandomFiller::linesOnScreen(Page *page)
{
    auto *tabs = page->findChild<QTabWidget *>();
    QList<const Survey::Line *> lines;
    for (const Survey::Line &line : Survey::lines()) {
        if (Survey::pageObjectName(line.page) != page->objectName())
            continue;
        auto *first = page->findChild<QWidget *>(line.controls.first());
        if (first && (!tabs || tabs->currentWidget()->isAncestorOf(first)))
            lines.append(&line);
    }
    return lines;
}

void RandomFiller::chooseAndTick(Page *page, const QList<const Survey::Line *> &lines)
{
    auto control = [page](const QString &name) { return page->findChild<QWidget *>(name); };
    for (const Survey::Line *line : lines) {
        switch (line->kind) {
        case LineKind::SingleChoice:
            if (chance(80)) {
                Drive::click(static_cast<QAbstractButton *>(
                    control(line->controls[int(random_.bounded(int(line->controls.size())))])));
                if (chance(20)) // and changes its mind
                    Drive::click(static_cast<QAbstractButton *>(
                        control(line->controls[int(random_.bounded(int(line->controls.size())))])));
            }
            break;
        case LineKind::YesNoPair: {
            auto *box = static_cast<QAbstractButton *>(
                control(line->controls[int(random_.bounded(int(line->controls.size())))]));
            if (usable(box) && chance(60)) {
                Drive::click(box);
                if (chance(25)) // the tick taken back: the line keeps its code
                    Drive::click(box);
            }
            break;
        }
        case LineKind::OptionCodes: {
            int ticked = 0;
            for (const QString &name : line->controls) {
                auto *box = static_cast<QAbstractButton *>(control(name));
                if (!usable(box) || !chance(35) || (line->maxTicks && ticked >= line->maxTicks))
                    continue;
                Drive::click(box);
                ++ticked;
            }
            break;
        }
        case LineKind::Ranking: {
            QStringList order = line->controls;
            for (qsizetype i = order.size() - 1; i > 0; --i)
                order.swapItemsAt(i, qsizetype(random_.bounded(int(i + 1))));
            for (const QString &name : order) {
                if (!chance(60))
                    continue;
                auto *box = static_cast<QAbstractButton *>(control(name));
                Drive::click(box);
                if (chance(20)) { // untick and tick again: it moves to the end
                    Drive::click(box);
                    Drive::click(box);
                }
            }
            break;
        }
        default:
            break;
        }
        if (QTest::currentTestFailed())
            return;
    }
}

void RandomFiller::fillFields(Page *page, const QList<const Survey::Line *> &lines)
{
    for (const Survey::Line *line : lines) {
        QWidget *widget = page->findChild<QWidget *>(line->controls.first());
        if (line->kind == LineKind::ListPick && usable(widget) && chance(70)) {
            auto *list = static_cast<QComboBox *>(widget);
            const int target = int(random_.bounded(list->count()));
            // Picked by keyboard: each arrow press moves one item down.
            list->setFocus();
            while (list->currentIndex() < target)
                QTest::keyClick(list, Qt::Key_Down);
            QCOMPARE(list->currentIndex(), target);
        } else if ((line->kind == LineKind::FreeText || line->kind == LineKind::Number) && usable(widget) &&
                   (line->number == 1 || chance(70))) {
            auto *field = static_cast<QLineEdit *>(widget);
            if (line->kind == LineKind::Number && chance(5)) {
                // Pasted, so the key filter does not judge it.
                QGuiApplication::clipboard()->setText(QStringLiteral("约%1万").arg(random_.bounded(1, 99)));
                field->setFocus();
                QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
            } else {
                Drive::type(field, line->kind == LineKind::Number ? randomNumber() : randomText(line->number == 1));
            }
        }
        if (QTest::currentTestFailed())
            return;
    }
}

// Now and then a tick is taken back, which empties what it had opened.
void RandomFiller::takeTicksBack(Page *page, const QList<const Survey::Line *> &lines)
{
    for (const Survey::Line *line : lines) {
        if (line->kind != LineKind::OptionCodes || !chance(10))
            continue;
        auto *box = static_cast<QAbstractButton *>(page->findChild<QWidget *>(line->controls.last()));
        if (usable(box) && box->isChecked())
            Drive::click(box);
    }
}
