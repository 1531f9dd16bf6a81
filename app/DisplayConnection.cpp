#include "app/DisplayConnection.h"

#include "app/Console.h"

#include <iostream>

#ifdef PIZZERIA_X11
#include <X11/Xlib.h>
#endif

namespace pizzeria::app {

namespace {

#ifdef PIZZERIA_X11
// Xlib calls this once the connection is unusable; it must not return, and
// no X call may be made from here.
int onDisplayLost(Display* /*display*/) {
    std::cerr << "ERROR: Lost the connection to the display." << std::endl;
    exitAfterPause(1);
}
#endif

} // namespace

void watchDisplayConnection() {
#ifdef PIZZERIA_X11
    XSetIOErrorHandler(onDisplayLost);
#endif
}

} // namespace pizzeria::app
