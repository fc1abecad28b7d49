// Windows: the windows platform draws without showing a window, so nothing
// needs choosing.
#include "platform/Headless.h"

namespace Headless {

void prepare() {}

} // namespace Headless
