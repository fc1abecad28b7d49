// Catching errors at the event loop.
#include "SurveyApplication.h"

#include "ResultFileWriter.h"
#include "Shell.h"

SurveyApplication::SurveyApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool SurveyApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const FileError &error) {
        Shell::showError(error.message());
    } catch (const std::exception &error) {
        Shell::showError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Shell::showError(QStringLiteral("Unexpected error"));
    }
    return true;
}
