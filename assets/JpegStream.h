#pragma once

#include <vector>

namespace pizzeria::assets {

// A JPEG file as libjpeg would take it, made ready for stb_image. libjpeg gives
// up on broken markers, undefined or impossible tables and data that ends
// before the picture does, where stb_image goes on; it goes on past bad
// Huffman codes, stray markers inside the scan and a damaged tail after it,
// where stb_image stops. `bytes` holds what stb_image should decode: the
// scan cut where libjpeg would start to guess, the rest of the file after
// the picture dropped.
struct JpegStream {
    bool broken = false;
    std::vector<unsigned char> bytes;
};

// Expects a file that starts with the JPEG start-of-image marker.
JpegStream readJpegStream(const std::vector<unsigned char>& file);

} // namespace pizzeria::assets
