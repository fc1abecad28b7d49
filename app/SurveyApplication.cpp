// The last resort for an error that escapes an event handler: the error box, and the run goes on.
#include "app/SurveyApplication.h"

#include "widgets/MessageBoxes.h"

#include <exception>

SurveyApplication::SurveyApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool SurveyApplication::notify(QObject *receiver, QEvent *event)
{
    // The last resort: handlers catch what they expect themselves.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        MessageBoxes::error(nullptr, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        MessageBoxes::error(nullptr, QStringLiteral("Unexpected error"));
    }
    return true;
}
