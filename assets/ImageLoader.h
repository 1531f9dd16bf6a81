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

// What decoding a file gave: the pixels, or DevIL's error number and text.
struct DecodedImage {
    enum class Failure { None, Load, Conversion };
    RgbImage image;
    Failure failure = Failure::None;
    unsigned error = 0;
    std::string errorText;
};

// Decodes an image file with DevIL and reports nothing. DevIL keeps one
// process-wide state, so decodes from several threads take turns.
DecodedImage decodeRgbImage(const std::string& path);

// Ends the game with the message of a failed decode on standard output; the
// load message names the file when `namePath` is set.
[[noreturn]] void failImage(const DecodedImage& decoded, const std::string& path, bool namePath);

// Decodes an image file with DevIL, or takes the decode a start-up worker
// made of it. A file that cannot be loaded or converted ends the game with
// DevIL's error number and text on standard output; the load message names
// the file when `namePath` is set.
RgbImage loadRgbImage(const std::string& path, bool namePath = false);

} // namespace pizzeria::assets
