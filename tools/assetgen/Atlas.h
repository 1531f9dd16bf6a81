#pragma once

#include "tools/assetgen/JpegWriter.h"
#include "tools/assetgen/MeshBuilder.h"

#include <functional>
#include <map>
#include <tuple>

namespace assetgen {

using Rgb = glm::vec3; // 0..1 per channel

// A texture atlas packed in rows: flat colour cells and painted rectangles.
// Every rectangle gets a border copied from its edge so that mipmaps and JPEG
// blocks do not bleed neighbouring colours into it.
class Atlas {
public:
    explicit Atlas(int size);

    // UV of a flat cell of this colour (cells are shared by equal colours).
    Paint flat(Rgb colour);
    // A w x h rectangle painted by fn(s, t) with s, t in [0, 1], t growing up.
    Paint painted(int w, int h, const std::function<Rgb(float s, float t)>& fn);

    const RgbImage& image() const { return image_; }

private:
    struct Slot {
        int x, y;
    };
    Slot allocate(int w, int h);
    UvRect uvOf(Slot slot, int w, int h) const;

    RgbImage image_;
    int cursorX_ = 0;
    int cursorY_ = 0;
    int rowHeight_ = 0;
    std::map<std::tuple<int, int, int>, Paint> flats_;
};

// Small colour helpers for painting.
Rgb rgb(int r, int g, int b);
// Deterministic hash noise in [0, 1) of integer coordinates and a seed.
float hashNoise(int x, int y, int seed);
// Smooth value noise in [0, 1) of a point, with unit cells.
float valueNoise(float x, float y, int seed);

} // namespace assetgen
