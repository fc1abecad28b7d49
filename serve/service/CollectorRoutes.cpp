#include "serve/service/CollectorRoutes.h"

#include "serve/downloads/DownloadRoutes.h"
#include "serve/office/OfficeRoutes.h"
#include "serve/review/ReviewRoutes.h"

namespace Serve {

QList<CollectorRoute> collectorRoutes(const CollectorContext &context)
{
    QList<CollectorRoute> routes;
    routes << reviewRoutes(context);
    routes << officeRoutes(context);
    routes << downloadRoutes(context);
    return routes;
}

} // namespace Serve
