#pragma once

#include <chrono>
#include <string>
#include <utility>

namespace testsupport {

// Talks to an X server (the one named by DISPLAY unless given) the way a
// window manager would.
class X11Windows {
public:
    explicit X11Windows(const std::string& displayName = "");
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

    // A plain window of another client, shown at x, y; it lives as long as
    // this connection.
    unsigned long createWindow(int x, int y, int width, int height);

private:
    void* display = nullptr;
};

} // namespace testsupport
