#include "serve/service/CollectorRoutes.h"

namespace Serve {

QList<CollectorRoute> collectorRoutes(const CollectorContext &context)
{
    QList<CollectorRoute> routes;
    Q_UNUSED(context);
    return routes;
}

} // namespace Serve
