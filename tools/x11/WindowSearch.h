#pragma once

// Finding a top-level window the way a window manager sees them: shared by
// the screen grabber and the tests that watch the game's window.
#include <X11/Xlib.h>

#include <functional>

namespace x11 {

// Depth-first over the window tree below `parent`: the first window with a
// title for which `matches(window, title)` is true, or 0.
Window findWindow(Display* display, Window parent,
                  const std::function<bool(Window, const char* title)>& matches);

} // namespace x11
