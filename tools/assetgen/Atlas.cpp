#include "tools/assetgen/Atlas.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace assetgen {

namespace {
constexpr int kPad = 3;       // border around each rectangle, in texels
constexpr int kFlatCell = 10; // inner size of a flat colour cell

std::uint8_t toByte(float c) {
    return std::uint8_t(std::lround(glm::clamp(c, 0.0f, 1.0f) * 255.0f));
}
} // namespace

Rgb rgb(int r, int g, int b) {
    return Rgb(float(r), float(g), float(b)) / 255.0f;
}

float hashNoise(int x, int y, int seed) {
    std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u +
                      std::uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFFFFu) / float(0x1000000);
}

float valueNoise(float x, float y, int seed) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = int(fx);
    const int iy = int(fy);
    float tx = x - fx;
    float ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    const float a = hashNoise(ix, iy, seed);
    const float b = hashNoise(ix + 1, iy, seed);
    const float c = hashNoise(ix, iy + 1, seed);
    const float d = hashNoise(ix + 1, iy + 1, seed);
    return glm::mix(glm::mix(a, b, tx), glm::mix(c, d, tx), ty);
}

Atlas::Atlas(int size) : image_(size, size) {}

Atlas::Slot Atlas::allocate(int w, int h) {
    const int fullW = w + 2 * kPad;
    const int fullH = h + 2 * kPad;
    if (cursorX_ + fullW > image_.width) {
        cursorX_ = 0;
        cursorY_ += rowHeight_;
        rowHeight_ = 0;
    }
    if (fullW > image_.width || cursorY_ + fullH > image_.height) {
        // A layout mistake in the generator itself, not a run-time condition.
        std::fprintf(stderr, "assetgen: texture atlas of %d texels is full\n", image_.width);
        std::abort();
    }
    const Slot slot{cursorX_ + kPad, cursorY_ + kPad};
    cursorX_ += fullW;
    rowHeight_ = std::max(rowHeight_, fullH);
    return slot;
}

UvRect Atlas::uvOf(Slot slot, int w, int h) const {
    const float W = float(image_.width);
    const float H = float(image_.height);
    // Texel centres of the first and last column and row; file v = 1 is the top row.
    const glm::vec2 lo((float(slot.x) + 0.5f) / W, 1.0f - (float(slot.y + h - 1) + 0.5f) / H);
    const glm::vec2 hi((float(slot.x + w - 1) + 0.5f) / W, 1.0f - (float(slot.y) + 0.5f) / H);
    return UvRect{lo, hi};
}

Paint Atlas::flat(Rgb colour) {
    const auto key =
        std::make_tuple(int(toByte(colour.r)), int(toByte(colour.g)), int(toByte(colour.b)));
    auto found = flats_.find(key);
    if (found != flats_.end()) {
        return found->second;
    }
    Paint cell = painted(kFlatCell, kFlatCell, [colour](float, float) { return colour; });
    const Paint p = Paint::flat(cell.at(0.5f, 0.5f));
    flats_.emplace(key, p);
    return p;
}

Paint Atlas::painted(int w, int h, const std::function<Rgb(float, float)>& fn) {
    const Slot slot = allocate(w, h);
    for (int j = -kPad; j < h + kPad; ++j) {
        for (int i = -kPad; i < w + kPad; ++i) {
            const int ci = glm::clamp(i, 0, w - 1);
            const int cj = glm::clamp(j, 0, h - 1);
            const float s = w > 1 ? float(ci) / float(w - 1) : 0.5f;
            const float t = h > 1 ? 1.0f - float(cj) / float(h - 1) : 0.5f;
            const Rgb c = fn(s, t);
            std::uint8_t* px = image_.at(slot.x + i, slot.y + j);
            px[0] = toByte(c.r);
            px[1] = toByte(c.g);
            px[2] = toByte(c.b);
        }
    }
    return Paint::region(uvOf(slot, w, h));
}

} // namespace assetgen
