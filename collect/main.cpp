// csr-collect: with arguments, the command line; without, the window.
#include "collect/cli/CommandLine.h"
#include "platform/Console.h"
#include "platform/Headless.h"
#include "collect/window/CollectWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstring>
#include <memory>

namespace {

// A report's PDF is laid out in its fonts, which want a GUI application.
bool asksForReport(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--report") == 0 || std::strncmp(argv[i], "--report=", 9) == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1) {
        // No display needed on the command line, not even for a report.
        Console::attachToParent();
        std::unique_ptr<QCoreApplication> app;
        if (asksForReport(argc, argv)) {
            Headless::prepare();
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
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
