#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace assetgen {

// An 8-bit RGB image, rows top to bottom.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3

    RgbImage() = default;
    RgbImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * h * 3, 0) {}
    std::uint8_t* at(int x, int y) { return &pixels[(std::size_t(y) * width + x) * 3]; }
};

// Writes `image` as a JPEG through stb_image_write (quality 92), creating parent
// folders. Returns false and prints the reason on failure.
bool saveJpeg(const std::filesystem::path& path, const RgbImage& image);

} // namespace assetgen
