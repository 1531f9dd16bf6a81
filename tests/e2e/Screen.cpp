#include "tests/e2e/Screen.h"

#include <IL/il.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace e2e {

Image Image::crop(Rect r) const {
    Image out;
    out.width = r.width;
    out.height = r.height;
    out.rgb.resize(std::size_t(r.width) * std::size_t(r.height) * 3);
    for (int y = 0; y < r.height; ++y) {
        const std::uint8_t* from = pixel(r.x, r.y + y);
        std::copy(from, from + std::size_t(r.width) * 3,
                  out.rgb.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(r.width) * 3));
    }
    return out;
}

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
    static const bool initialised = [] {
        ilInit();
        return true;
    }();
    (void)initialised;
    std::filesystem::create_directories(path.parent_path());
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    ilTexImage(ILuint(image.width), ILuint(image.height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
               const_cast<std::uint8_t*>(image.rgb.data()));
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT); // rows run top to bottom
    ilEnable(IL_FILE_OVERWRITE);
    const bool saved = ilSave(IL_PNG, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &id);
    return saved;
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

std::vector<Rect> around(Rect whole, Rect hole) {
    std::vector<Rect> parts;
    const int holeBottom = hole.y + hole.height;
    const int holeRight = hole.x + hole.width;
    parts.push_back({whole.x, whole.y, whole.width, hole.y - whole.y});
    parts.push_back({whole.x, holeBottom, whole.width, whole.y + whole.height - holeBottom});
    parts.push_back({whole.x, hole.y, hole.x - whole.x, hole.height});
    parts.push_back({holeRight, hole.y, whole.x + whole.width - holeRight, hole.height});
    parts.erase(std::remove_if(parts.begin(), parts.end(),
                               [](const Rect& r) { return r.width <= 0 || r.height <= 0; }),
                parts.end());
    return parts;
}

Image renderText(const std::filesystem::path& fontPath, const std::string& text, int pixelHeight,
                 double scale, int& left, int& baseline) {
    Image out;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return out;
    }
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        FT_Done_FreeType(library);
        return out;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight));

    // The string at full raster size, as the glyph textures hold it.
    const int ascent = pixelHeight;
    const int bigHeight = pixelHeight * 2;
    int bigWidth = 0;
    for (const char c : text) {
        if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_DEFAULT) == 0) {
            bigWidth += int(face->glyph->advance.x >> 6);
        }
    }
    std::vector<int> big(std::size_t(bigWidth) * std::size_t(bigHeight), 0);
    int pen = 0;
    for (const char c : text) {
        if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER) != 0) {
            continue;
        }
        const FT_GlyphSlot g = face->glyph;
        for (int row = 0; row < int(g->bitmap.rows); ++row) {
            for (int column = 0; column < int(g->bitmap.width); ++column) {
                const int x = pen + g->bitmap_left + column;
                const int y = ascent - g->bitmap_top + row;
                if (x >= 0 && x < bigWidth && y >= 0 && y < bigHeight) {
                    big[std::size_t(y) * std::size_t(bigWidth) + std::size_t(x)] =
                        g->bitmap.buffer[row * g->bitmap.pitch + column];
                }
            }
        }
        pen += int(g->advance.x >> 6);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    // Shrunk by `scale` with a box filter, close to the trilinear mipmaps.
    const int smallWidth = std::max(1, int(std::ceil(bigWidth * scale)));
    const int smallHeight = std::max(1, int(std::ceil(bigHeight * scale)));
    std::vector<std::uint8_t> small(std::size_t(smallWidth) * std::size_t(smallHeight), 0);
    const double step = 1.0 / scale;
    int inkLeft = smallWidth, inkRight = -1, inkTop = smallHeight, inkBottom = -1;
    for (int y = 0; y < smallHeight; ++y) {
        for (int x = 0; x < smallWidth; ++x) {
            const int x0 = int(x * step);
            const int y0 = int(y * step);
            const int x1 = std::min(bigWidth, int((x + 1) * step));
            const int y1 = std::min(bigHeight, int((y + 1) * step));
            long sum = 0;
            long count = 0;
            for (int by = y0; by < y1; ++by) {
                for (int bx = x0; bx < x1; ++bx) {
                    sum += big[std::size_t(by) * std::size_t(bigWidth) + std::size_t(bx)];
                    ++count;
                }
            }
            const auto value = std::uint8_t(count > 0 ? sum / count : 0);
            small[std::size_t(y) * std::size_t(smallWidth) + std::size_t(x)] = value;
            if (value > 0) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
        }
    }
    if (inkRight < 0) {
        return out;
    }
    // Cropped to the ink, with a pixel of background around it.
    inkLeft = std::max(0, inkLeft - 1);
    inkTop = std::max(0, inkTop - 1);
    inkRight = std::min(smallWidth - 1, inkRight + 1);
    inkBottom = std::min(smallHeight - 1, inkBottom + 1);
    out.width = inkRight - inkLeft + 1;
    out.height = inkBottom - inkTop + 1;
    out.rgb.resize(std::size_t(out.width) * std::size_t(out.height) * 3);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const std::uint8_t v =
                small[std::size_t(y + inkTop) * std::size_t(smallWidth) + std::size_t(x + inkLeft)];
            std::uint8_t* p =
                &out.rgb[(std::size_t(y) * std::size_t(out.width) + std::size_t(x)) * 3];
            p[0] = p[1] = p[2] = v;
        }
    }
    left = inkLeft;
    baseline = int(std::lround(ascent * scale)) - inkTop;
    return out;
}

double bestCorrelation(const Image& image, const Image& expected, int x, int y, int slack,
                       const std::array<double, 3>& colour) {
    double best = -1.0;
    const double n = double(expected.width) * double(expected.height);
    for (int dy = -slack; dy <= slack; ++dy) {
        for (int dx = -slack; dx <= slack; ++dx) {
            const int left = x + dx;
            const int top = y + dy;
            if (left < 0 || top < 0 || left + expected.width > image.width ||
                top + expected.height > image.height) {
                continue;
            }
            double se = 0, sa = 0, see = 0, saa = 0, sea = 0;
            for (int row = 0; row < expected.height; ++row) {
                for (int column = 0; column < expected.width; ++column) {
                    const double e = expected.pixel(column, row)[0];
                    const std::uint8_t* p = image.pixel(left + column, top + row);
                    const double a = colour[0] * double(p[0]) + colour[1] * double(p[1]) +
                                     colour[2] * double(p[2]);
                    se += e;
                    sa += a;
                    see += e * e;
                    saa += a * a;
                    sea += e * a;
                }
            }
            const double cov = sea - se * sa / n;
            const double ve = see - se * se / n;
            const double va = saa - sa * sa / n;
            if (ve > 0 && va > 0) {
                best = std::max(best, cov / std::sqrt(ve * va));
            }
        }
    }
    return best;
}

} // namespace e2e
