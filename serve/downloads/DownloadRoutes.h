// The downloads' addresses on the collectors' side: the list of what can be
// downloaded, and each file by its name (?by=VAR,VAR for a report's
// grouping; ?job=N for the job a first request started).
#pragma once

#include "serve/service/CollectorDesk.h"

namespace Serve {

QList<CollectorRoute> downloadRoutes(const CollectorContext &context);

} // namespace Serve
