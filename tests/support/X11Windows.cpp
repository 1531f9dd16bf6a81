#include "tests/support/X11Windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <thread>

namespace testsupport {

namespace {

Display* asDisplay(void* display) {
    return static_cast<Display*>(display);
}

Window findByTitle(Display* display, Window parent, const std::string& title) {
    Window root = 0;
    Window parentOut = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            XWindowAttributes attributes{};
            if (title == name && XGetWindowAttributes(display, children[i], &attributes) &&
                attributes.map_state == IsViewable) {
                found = children[i];
            }
            XFree(name);
        }
        if (found == 0) {
            found = findByTitle(display, children[i], title);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

} // namespace

X11Windows::X11Windows() : display(XOpenDisplay(nullptr)) {}

X11Windows::~X11Windows() {
    if (display != nullptr) {
        XCloseDisplay(asDisplay(display));
    }
}

unsigned long X11Windows::waitForWindow(const std::string& title,
                                        std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        Display* d = asDisplay(display);
        const Window found = findByTitle(d, DefaultRootWindow(d), title);
        if (found != 0) {
            return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

std::pair<int, int> X11Windows::size(unsigned long window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(asDisplay(display), window, &attributes);
    return {attributes.width, attributes.height};
}

void X11Windows::requestClose(unsigned long window) {
    Display* d = asDisplay(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
}

} // namespace testsupport
