// The questionnaire program: start-up only.
#include "Shell.h"
#include "SurveyApplication.h"

int main(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    Shell shell;
    return shell.run();
}
