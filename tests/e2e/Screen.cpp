#include "tests/e2e/Screen.h"

#include "tests/support/ImageFiles.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>

namespace e2e {

Image grabWindow(unsigned long window) {
    Image image;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return image;
    }
    XWindowAttributes attributes{};
    XImage* x = nullptr;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) {
        x = XGetImage(display, window, 0, 0, unsigned(attributes.width),
                      unsigned(attributes.height), AllPlanes, ZPixmap);
    }
    if (x != nullptr) {
        image.width = attributes.width;
        image.height = attributes.height;
        image.rgb.resize(std::size_t(image.width) * std::size_t(image.height) * 3);
        std::uint8_t* out = image.rgb.data();
        for (int row = 0; row < image.height; ++row) {
            for (int column = 0; column < image.width; ++column) {
                const unsigned long p = XGetPixel(x, column, row);
                *out++ = std::uint8_t((p & x->red_mask) >> 16);
                *out++ = std::uint8_t((p & x->green_mask) >> 8);
                *out++ = std::uint8_t(p & x->blue_mask);
            }
        }
        XDestroyImage(x);
    }
    XCloseDisplay(display);
    return image;
}

bool savePng(const Image& image, const std::filesystem::path& path) {
    if (image.empty()) {
        return false;
    }
    std::filesystem::create_directories(path.parent_path());
    return testsupport::writePng(path, image.width, image.height, image.rgb);
}

double share(const Image& image, Rect r, const std::function<bool(const std::uint8_t*)>& test) {
    long hits = 0;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            hits += test(image.pixel(x, y)) ? 1 : 0;
        }
    }
    const long total = long(r.width) * r.height;
    return total > 0 ? double(hits) / double(total) : 0.0;
}

double shareDiffering(const Image& a, const Image& b, Rect r, int levels) {
    if (a.width != b.width || a.height != b.height) {
        return 1.0;
    }
    long hits = 0;
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            const std::uint8_t* p = a.pixel(x, y);
            const std::uint8_t* q = b.pixel(x, y);
            for (int c = 0; c < 3; ++c) {
                if (std::abs(int(p[c]) - int(q[c])) > levels) {
                    ++hits;
                    break;
                }
            }
        }
    }
    const long total = long(r.width) * r.height;
    return total > 0 ? double(hits) / double(total) : 0.0;
}

double shareGrey(const Image& image, Rect r, int levels) {
    return share(image, r, [levels](const std::uint8_t* p) {
        return std::abs(int(p[0]) - int(p[1])) <= levels &&
               std::abs(int(p[1]) - int(p[2])) <= levels;
    });
}

} // namespace e2e
