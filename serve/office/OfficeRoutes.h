// The survey office's own pages behind the collectors' gate: the upload
// codes (create, list with their counts, revoke) and the audit log.
#pragma once

#include "serve/service/CollectorDesk.h"

namespace Serve {

QList<CollectorRoute> officeRoutes(const CollectorContext &context);

} // namespace Serve
