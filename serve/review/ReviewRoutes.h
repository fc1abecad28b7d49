// The routes of the review room: the overview and its chart, the table of
// submissions, one submission (its changes, its original file), and the
// review of submissions and findings.
#pragma once

#include "serve/service/CollectorDesk.h"

namespace Serve {

QList<CollectorRoute> reviewRoutes(const CollectorContext &context);

} // namespace Serve
