#pragma once

#include <string>
#include <vector>

namespace pizzeria::assets {

// Decoded 8-bit RGB pixels, tightly packed, first row at the top.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

// Decodes an image file with DevIL. A file that cannot be loaded or converted
// ends the game with DevIL's error number and text on standard output; the
// load message names the file when `namePath` is set.
RgbImage loadRgbImage(const std::string& path, bool namePath = false);

} // namespace pizzeria::assets
