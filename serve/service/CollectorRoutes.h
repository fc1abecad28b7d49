// Every route of the collectors' side behind the session's gate, gathered
// from the rooms that answer them.
#pragma once

#include "serve/service/CollectorDesk.h"

namespace Serve {

// What the rooms need: the database (each worker opens its own connection)
// and the data folder (for the files they make).
struct CollectorContext {
    Database database;
    QString dataFolder;
};

QList<CollectorRoute> collectorRoutes(const CollectorContext &context);

} // namespace Serve
