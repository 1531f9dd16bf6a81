#pragma once

#include <chrono>
#include <string>
#include <utility>

namespace testsupport {

// Talks to the X server named by DISPLAY the way a window manager would.
class X11Windows {
public:
    X11Windows();
    ~X11Windows();
    X11Windows(const X11Windows&) = delete;
    X11Windows& operator=(const X11Windows&) = delete;

    bool connected() const { return display != nullptr; }

    // Waits up to `limit` for a mapped window titled `title` that belongs to
    // process `pid` (other tests may show games of the same title on the
    // display); returns its id, or 0.
    unsigned long waitForWindow(const std::string& title, long long pid,
                                std::chrono::milliseconds limit);

    // The window's width and height in pixels.
    std::pair<int, int> size(unsigned long window);

    // Sends WM_DELETE_WINDOW, as a window's close button does.
    void requestClose(unsigned long window);

private:
    void* display = nullptr;
};

} // namespace testsupport
