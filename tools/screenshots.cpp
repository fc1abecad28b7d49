// Renders every page, and every tab of the tabbed pages, to PNG files in the
// folder given as the first argument (docs/ in the repository).
#include "app/Shell.h"
#include "app/SurveyApplication.h"
#include "widgets/Page.h"

#include <QDir>
#include <QTabWidget>
#include <cstdio>

int main(int argc, char *argv[])
{
    SurveyApplication application(argc, argv);
    Shell::prepareApplication();
    Shell shell;
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make the folder %s\n", qPrintable(out.path()));
        return 1;
    }
    // A picture that cannot be written fails the run: a missing screenshot
    // would otherwise pass for an unchanged one.
    bool allSaved = true;
    auto save = [&](QWidget *page, const QString &name) {
        const QString path = out.filePath(name + QStringLiteral(".png"));
        if (!page->grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            allSaved = false;
        }
    };
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
            save(page, names[i]);
        } else {
            for (int t = 0; t < tabs->count(); ++t) {
                tabs->setCurrentIndex(t);
                save(page, names[i] + QStringLiteral("-tab%1").arg(t + 1));
            }
            tabs->setCurrentIndex(0);
        }
        page->hide();
    }
    return allSaved ? 0 : 1;
}
