// The questionnaire program: start-up only. `csr-survey [FILE]` opens a result
// file to correct it; without one, the drafts left by earlier runs are offered.
#include "app/drafts/DraftFolder.h"
#include "app/drafts/Resumption.h"
#include "app/Shell.h"
#include "app/SurveyApplication.h"
#include "platform/FileSystemCalls.h"

#include <QByteArray>

int main(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    // The file's name as the system gave it (the application has taken its own
    // options out of argv): it need not be valid UTF-8.
    const QByteArray resultFile = argc > 1 ? FileSystemCalls::nativeArgument(argv, 1) : QByteArray();
    Shell shell;
    Resumption resumption(shell, DraftFolder::ofUser());
    resumption.start(resultFile);
    return shell.run();
}
