// Saves the X screen, or the window with a given title, as a PNG: how we look
// at the game running under Xvfb. Usage: pizzeria_xgrab OUT.png [TITLE]
#include "tools/x11/WindowSearch.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pizzeria_xgrab OUT.png [WINDOW-TITLE]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "pizzeria_xgrab: no display\n");
        return 1;
    }
    Window window = DefaultRootWindow(display);
    if (argc > 2) {
        const char* title = argv[2];
        window = x11::findWindow(display, window, [title](Window, const char* name) {
            return std::strcmp(name, title) == 0;
        });
        if (window == 0) {
            std::fprintf(stderr, "pizzeria_xgrab: no window titled %s\n", argv[2]);
            return 1;
        }
    }
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width),
                              unsigned(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        std::fprintf(stderr, "pizzeria_xgrab: could not read the window\n");
        return 1;
    }
    const int w = attributes.width, h = attributes.height;
    std::vector<unsigned char> rgb(std::size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            unsigned char* out = &rgb[(std::size_t(y) * w + x) * 3];
            out[0] = (pixel & image->red_mask) >> 16;
            out[1] = (pixel & image->green_mask) >> 8;
            out[2] = pixel & image->blue_mask;
        }
    }
    XDestroyImage(image);
    XCloseDisplay(display);

    const bool saved = stbi_write_png(argv[1], w, h, 3, rgb.data(), w * 3) != 0;
    if (!saved) {
        std::fprintf(stderr, "pizzeria_xgrab: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
