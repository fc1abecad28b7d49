// Each thread's own connection to the database (a connection serves the
// thread that opened it only), opened when the thread first needs one.
#pragma once

#include "serve/store/Store.h"

namespace Serve {

// Null when it cannot be opened (said on the error output).
Store *threadStore(const Database &database);
// After a failure: the connection may be what failed, so the next use opens a new one.
void dropThreadStore();

} // namespace Serve
