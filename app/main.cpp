// The questionnaire program: start-up only. `csr-survey [FILE]` opens a result
// file to correct it; without one, a draft left by an earlier run is offered.
#include "app/DraftStore.h"
#include "app/Shell.h"
#include "app/SurveyApplication.h"

#include <QStringList>

int main(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    const QStringList arguments = QCoreApplication::arguments();
    const QString resultFile = arguments.size() > 1 ? arguments.at(1) : QString();
    DraftStore drafts;
    Shell shell;
    shell.useDrafts(drafts);
    return shell.run(resultFile);
}
