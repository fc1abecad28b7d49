// A GUI application object for the command line, which draws the report's
// charts but shows no window and needs no display.
#pragma once

namespace Headless {

// Call before the application object is made.
void prepare();

} // namespace Headless
