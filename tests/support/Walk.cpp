// The walk to the save, with the tab counts taken from the pages' content.
#include "tests/support/Walk.h"

#include "app/Shell.h"
#include "pages/intro/IntroPage.h"
#include "pages/questionnaire/QuestionnairePage.h"
#include "survey/Captions.h"
#include "survey/QuestionnaireContent.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/RandomFiller.h"
#include "widgets/Page.h"

#include <QTest>

namespace Walk {

QString toTheSave(Shell &shell, ModalBoxes &boxes)
{
    const QString forward = Captions::kForward.toString();
    if (shell.introPage()->isVisible())
        RandomFiller::press(shell.introPage(), Captions::kStart.toString());
    // Every page and tab before the questionnaire, however many there are;
    // a page that refuses to move on ends the walk.
    for (int presses = 0; !shell.questionnairePage()->isVisible() && presses < 20; ++presses)
        RandomFiller::press(shell.currentPage(), forward);
    if (!shell.questionnairePage()->isVisible())
        return {};
    for (qsizetype tab = shell.questionnairePage()->currentTab(); tab + 1 < qsizetype(Questionnaire::tabs().size());
         ++tab)
        RandomFiller::press(shell.questionnairePage(), forward);
    boxes.answerWith(QMessageBox::Ok);
    RandomFiller::press(shell.questionnairePage(), Captions::kSave.toString());
    return shell.hasEnded() && boxes.count() > 0 ? savedPath(boxes) : QString();
}

QString savedPath(const ModalBoxes &boxes)
{
    const QString text = boxes.seen().isEmpty() ? QString() : boxes.last().text;
    return text.startsWith(Captions::kSavedAs) ? text.mid(Captions::kSavedAs.size()) : QString();
}

} // namespace Walk
