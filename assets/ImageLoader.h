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

// What decoding a file gave: the pixels, or the error number the game's
// image messages have always carried.
struct DecodedImage {
    RgbImage image;
    unsigned error = 0; // none: decoded

    bool failed() const { return error != 0; }
};

// Decodes an image file with stb_image and reports nothing. Decodes share no
// state, so start-up workers run them side by side. A JPEG is held to what
// libjpeg accepted before (see assets/JpegStream.h).
DecodedImage decodeRgbImage(const std::string& path);

// Ends the game with the message of a failed decode on standard output; the
// load message names the file when `namePath` is set.
[[noreturn]] void failImage(const DecodedImage& decoded, const std::string& path, bool namePath);

// Decodes an image file, or takes the decode a start-up worker made of it. A
// file that cannot be loaded ends the game with the error number and text on
// standard output; the message names the file when `namePath` is set.
RgbImage loadRgbImage(const std::string& path, bool namePath = false);

} // namespace pizzeria::assets
