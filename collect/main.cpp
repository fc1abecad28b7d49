// csr-collect: with arguments, the command line; without, the window.
#include "collect/CollectWindow.h"
#include "collect/CommandLine.h"
#include "collect/Console.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    if (argc > 1) {
        // No display needed on the command line.
        Console::attachToParent();
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("csr-collect"));
        QCoreApplication::setApplicationVersion(QStringLiteral(CSR_COLLECT_VERSION));
        return CommandLine::run(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("csr-collect"));
    CollectWindow window;
    window.show();
    return app.exec();
}
