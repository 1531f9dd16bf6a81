#pragma once

namespace pizzeria::app {

// Called before the window system is first used. When the connection to the
// display breaks (the X server ends, the window is killed) the game ends with
// "ERROR: Lost the connection to the display." and exit code 1, at any moment.
// Xlib's own handler would call exit(), whose handlers destroy the game under
// the frame that is still running. Does nothing where there is no X11.
void watchDisplayConnection();

} // namespace pizzeria::app
