// Renders every page, and every tab of the tabbed pages, to PNG files in the
// folder given as the first argument (docs/ in the repository).
#include "app/Shell.h"
#include "app/SurveyApplication.h"
#include "widgets/Page.h"

#include <QDir>
#include <QTabWidget>

int main(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    Shell shell;
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    // In the order the user meets the pages.
    const QStringList names = {QStringLiteral("intro"), QStringLiteral("basic-information"),
                               QStringLiteral("foundation-organisation"), QStringLiteral("performance"),
                               QStringLiteral("questionnaire")};
    const QList<Page *> pages = shell.pages();
    for (int i = 0; i < pages.size(); ++i) {
        QWidget *page = pages[i];
        page->show();
        auto *tabs = page->findChild<QTabWidget *>();
        if (!tabs) {
            page->grab().save(out.filePath(names[i] + QStringLiteral(".png")));
        } else {
            for (int t = 0; t < tabs->count(); ++t) {
                tabs->setCurrentIndex(t);
                page->grab().save(out.filePath(names[i] + QStringLiteral("-tab%1.png").arg(t + 1)));
            }
            tabs->setCurrentIndex(0);
        }
        page->hide();
    }
    return 0;
}
