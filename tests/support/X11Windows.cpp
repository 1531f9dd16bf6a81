#include "tests/support/X11Windows.h"
#include "tools/x11/WindowSearch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <thread>

namespace testsupport {

namespace {

Display* asDisplay(void* display) {
    return static_cast<Display*>(display);
}

// The owner's process id as the toolkit announces it, or -1.
long long ownerPid(Display* display, Window window) {
    const Atom property = XInternAtom(display, "_NET_WM_PID", True);
    if (property == None) {
        return -1;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long long pid = -1;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32 && count == 1) {
            pid = static_cast<long long>(*reinterpret_cast<unsigned long*>(data));
        }
        XFree(data);
    }
    return pid;
}

// Other clients' windows come and go while the tree is walked (tests run side
// by side on one display); a window gone between two requests is simply not
// the one looked for, where Xlib's own handler would end the test.
int ignoreXError(Display* /*display*/, XErrorEvent* /*error*/) {
    return 0;
}

} // namespace

X11Windows::X11Windows(const std::string& displayName)
    : display(XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str())) {
    XSetErrorHandler(ignoreXError);
}

X11Windows::~X11Windows() {
    if (display != nullptr) {
        XCloseDisplay(asDisplay(display));
    }
}

unsigned long X11Windows::waitForWindow(const std::string& title, long long pid,
                                        std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        Display* d = asDisplay(display);
        const Window found =
            x11::findWindow(d, DefaultRootWindow(d), [&](Window window, const char* name) {
                XWindowAttributes attributes{};
                return title == name && XGetWindowAttributes(d, window, &attributes) &&
                       attributes.map_state == IsViewable && ownerPid(d, window) == pid;
            });
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

unsigned long X11Windows::createWindow(int x, int y, int width, int height) {
    Display* d = asDisplay(display);
    const Window window = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, unsigned(width),
                                              unsigned(height), 0, 0, 0);
    XMapWindow(d, window);
    XSync(d, False);
    return window;
}

} // namespace testsupport
