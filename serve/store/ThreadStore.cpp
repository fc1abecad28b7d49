#include "serve/store/ThreadStore.h"

#include <cstdio>

namespace Serve {

namespace {
thread_local std::unique_ptr<Store> local;
} // namespace

Store *threadStore(const Database &database)
{
    if (!local) {
        QString error;
        local = Store::open(database, &error);
        if (!local)
            std::fprintf(stderr, "csr-serve: %s\n", qPrintable(error));
    }
    return local.get();
}

void dropThreadStore()
{
    local.reset();
}

} // namespace Serve
