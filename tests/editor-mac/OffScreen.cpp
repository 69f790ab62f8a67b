// The suites run off-screen even where a display is available: the window-system
// connection opens at first use, after this initialiser has cleared DISPLAY.

#include <cstdlib>

namespace {

const int kOffScreen = (unsetenv("DISPLAY"), 0);

}  // namespace
