// Reading every control of the pages into a draft and setting them back from
// one, in the order the pages need (a choice before the fields it opens).
#include "app/drafts/PageState.h"

#include "app/Shell.h"
#include "pages/performance/PerformancePage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/LineMap.h"
#include "survey/PerformanceContent.h"
#include "survey/QuestionnaireContent.h"
#include "widgets/Page.h"
#include "widgets/TextFieldGuard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

namespace PageState {

namespace {

bool isControl(const QWidget *widget)
{
    const QString name = widget->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
        return false;
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QComboBox *>(widget) ||
           qobject_cast<const QCheckBox *>(widget) || qobject_cast<const QRadioButton *>(widget);
}

QString valueOf(const QWidget *widget)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    if (auto *list = qobject_cast<const QComboBox *>(widget))
        return QString::number(list->currentIndex());
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->isChecked() ? QStringLiteral("1") : QString();
    return {};
}

// The line a control writes, for people: "第 3 行（注册资本）"; the key itself
// for a control that writes none.
QString lineOf(const QString &controlKey)
{
    for (const Survey::Line &line : Survey::lines())
        for (const QString &control : line.controls)
            if (Draft::controlKey(Survey::pageObjectName(line.page), control) == controlKey)
                return QStringLiteral("第 %1 行（%2）").arg(line.number).arg(line.label);
    return controlKey;
}

// Question 21's boxes are ticked in ranking order, not in page order.
const Survey::Line &rankingLine()
{
    const Survey::Line *ranking = nullptr;
    for (const Survey::Line &line : Survey::lines())
        if (line.kind == Survey::LineKind::Ranking)
            ranking = &line;
    return *ranking;
}

struct Found {
    QWidget *widget;
    QString value;
};

// The draft's value of each control, by kind, in page order; question 21's
// boxes left to tickInRankingOrder.
struct SavedControls {
    QList<Found> buttons, lists, texts;
};

SavedControls savedControls(Shell &shell, const Draft &draft, const Survey::Line &ranking)
{
    const QString rankingPage = shell.page(ranking.page)->objectName();
    SavedControls saved;
    for (int i = 0; i < Survey::kPageCount; ++i) {
        Page *page = shell.page(Survey::PageId(i));
        for (QWidget *widget : page->findChildren<QWidget *>()) {
            if (!isControl(widget))
                continue;
            const QString key = Draft::controlKey(page->objectName(), widget->objectName());
            const auto it = draft.controls.constFind(key);
            if (it == draft.controls.cend())
                continue;
            if (page->objectName() == rankingPage && ranking.controls.contains(widget->objectName()))
                continue;
            if (qobject_cast<QLineEdit *>(widget))
                saved.texts.append({widget, it.value()});
            else if (qobject_cast<QComboBox *>(widget))
                saved.lists.append({widget, it.value()});
            else
                saved.buttons.append({widget, it.value()});
        }
    }
    return saved;
}

void tickInRankingOrder(Page *page, const Survey::Line &ranking, const QString &letters)
{
    for (QChar letter : letters) {
        const qsizetype position = ranking.letters.indexOf(letter);
        if (position < 0)
            continue;
        if (auto *box = page->findChild<QAbstractButton *>(ranking.controls[position]))
            box->setChecked(true);
    }
}

// The page, and the tab of a tabbed page, the draft was left on.
void showSavedPlace(Shell &shell, const Draft &draft)
{
    const auto page = Survey::PageId(std::clamp(draft.page, 0, Survey::kPageCount - 1));
    shell.moveTo(page);
    if (page == Survey::PageId::Performance)
        shell.performancePage()->showTab(std::clamp(draft.tab, 0, int(Performance::content().tabs.size()) - 1));
    else if (page == Survey::PageId::Questionnaire)
        shell.questionnairePage()->showTab(std::clamp(draft.tab, 0, int(Questionnaire::tabs().size()) - 1));
}

} // namespace

QString misfit(const Draft &draft)
{
    // A number field is held to no more than a text field: what its key
    // filter refuses, a paste from the context menu brings in all the same.
    const QString notEnterable = QStringLiteral("含有换行、控制字符或 GBK 无法表示的字符");
    for (int k = 1; k <= Survey::kLineCount; ++k) {
        const QString &text = draft.lines.at(k - 1);
        if (TextFieldGuard::sanitize(text) != text)
            return QStringLiteral("草稿第 %1 行").arg(k) + notEnterable;
    }
    for (auto it = draft.controls.cbegin(); it != draft.controls.cend(); ++it)
        if (TextFieldGuard::sanitize(it.value()) != it.value())
            return QStringLiteral("草稿中") + lineOf(it.key()) + notEnterable;
    return {};
}

Draft capture(Shell &shell)
{
    Draft draft;
    draft.savedAt = QDateTime::currentDateTime();
    for (int k = 1; k <= Survey::kLineCount; ++k)
        draft.lines[k - 1] = shell.record().get(k);
    for (int i = 0; i < Survey::kPageCount; ++i) {
        const auto index = Survey::PageId(i);
        if (!shell.isBuilt(index))
            continue;
        Page *page = shell.page(index);
        for (const QWidget *widget : page->findChildren<QWidget *>()) {
            if (!isControl(widget))
                continue;
            const QString value = valueOf(widget);
            // Only what differs from a new page: keeps the draft small and the restore short.
            if (!value.isEmpty() && value != QLatin1String("-1"))
                draft.controls.insert(Draft::controlKey(page->objectName(), widget->objectName()), value);
        }
        if (page->isVisible())
            draft.page = i;
    }
    if (shell.isBuilt(Survey::PageId::Questionnaire))
        draft.ranking = shell.questionnairePage()->ranking();
    if (draft.page == int(Survey::PageId::Performance))
        draft.tab = shell.performancePage()->currentTab();
    else if (draft.page == int(Survey::PageId::Questionnaire))
        draft.tab = shell.questionnairePage()->currentTab();
    return draft;
}

Draft fromLines(const QStringList &lines)
{
    Draft draft;
    draft.lines = lines;
    draft.lines.resize(Survey::kLineCount);
    for (const Survey::Line &line : Survey::lines()) {
        const QString text = draft.lines[line.number - 1];
        const QString page = Survey::pageObjectName(line.page);
        auto set = [&](const QString &control, const QString &value) {
            draft.controls.insert(Draft::controlKey(page, control), value);
        };
        switch (line.kind) {
        case Survey::LineKind::FreeText:
        case Survey::LineKind::Number:
            if (!text.isEmpty())
                set(line.controls.first(), text);
            break;
        case Survey::LineKind::ListPick:
            if (!text.isEmpty())
                set(line.controls.first(), QString::number(line.items.indexOf(text)));
            break;
        case Survey::LineKind::SingleChoice:
        case Survey::LineKind::YesNoPair:
            for (qsizetype i = 0; i < line.choices.size(); ++i)
                if (line.choices[i].code == text)
                    set(line.controls[i], QStringLiteral("1"));
            break;
        case Survey::LineKind::OptionCodes:
            for (qsizetype i = 0; i < line.controls.size() && i < text.size(); ++i)
                if (text[i] == u'1')
                    set(line.controls[i], QStringLiteral("1"));
            break;
        case Survey::LineKind::Ranking:
            draft.ranking = text;
            for (QChar letter : text) {
                const qsizetype i = line.letters.indexOf(letter);
                if (i >= 0)
                    set(line.controls[i], QStringLiteral("1"));
            }
            break;
        }
    }
    return draft;
}

void restore(Shell &shell, const Draft &draft)
{
    shell.createPages();
    const Survey::Line &ranking = rankingLine();
    const SavedControls saved = savedControls(shell, draft, ranking);
    for (const Found &found : saved.buttons)
        static_cast<QAbstractButton *>(found.widget)->setChecked(found.value == QLatin1String("1"));
    tickInRankingOrder(shell.page(ranking.page), ranking, draft.ranking);
    for (const Found &found : saved.lists) {
        auto *list = static_cast<QComboBox *>(found.widget);
        bool ok = false;
        const int index = found.value.toInt(&ok);
        list->setCurrentIndex(ok && index >= -1 && index < list->count() ? index : -1);
    }
    for (const Found &found : saved.texts)
        static_cast<QLineEdit *>(found.widget)->setText(found.value);

    // The record word for word: some lines are written only by a choice and no
    // control shows them (a pair's line keeps its code after its box is unticked).
    for (int k = 1; k <= Survey::kLineCount; ++k)
        shell.record().set(k, draft.lines.value(k - 1));
    showSavedPlace(shell, draft);
}

} // namespace PageState
