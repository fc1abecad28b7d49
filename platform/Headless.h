// A GUI application object for the command line, which lays out the
// report's PDF in its fonts but shows no window and needs no display.
#pragma once

namespace Headless {

// Call before the application object is made.
void prepare();

} // namespace Headless
