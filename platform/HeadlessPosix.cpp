// Linux: with no platform chosen, the offscreen one, so that a report is
// drawn over SSH and in cron as well as at a desktop.
#include "platform/Headless.h"

#include <QByteArray>
#include <QtGlobal>

namespace Headless {

void prepare()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
}

} // namespace Headless
