// The program: start-up sequence only.
#include "Shell.h"
#include "SurveyApplication.h"

int main(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    Shell shell;
    shell.createPages();
    return shell.run();
}
