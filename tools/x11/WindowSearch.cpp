#include "tools/x11/WindowSearch.h"

#include <X11/Xutil.h>

namespace x11 {

Window findWindow(Display* display, Window parent,
                  const std::function<bool(Window, const char* title)>& matches) {
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
            if (matches(children[i], name)) {
                found = children[i];
            }
            XFree(name);
        }
        if (found == 0) {
            found = findWindow(display, children[i], matches);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

} // namespace x11
