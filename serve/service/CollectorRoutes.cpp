#include "serve/service/CollectorRoutes.h"

#include "serve/downloads/DownloadRoutes.h"

namespace Serve {

QList<CollectorRoute> collectorRoutes(const CollectorContext &context)
{
    QList<CollectorRoute> routes;
    routes += downloadRoutes(context);
    return routes;
}

} // namespace Serve
