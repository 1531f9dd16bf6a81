#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace e2e {

struct Rect {
    int x = 0; // left column
    int y = 0; // top row
    int width = 0;
    int height = 0;
};

// An RGB picture, top row first, as the player sees it.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    bool empty() const { return width == 0 || height == 0; }
    const std::uint8_t* pixel(int x, int y) const {
        return &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
    }
    Rect whole() const { return {0, 0, width, height}; }
};

// The window's pixels as the X server holds them; empty when unreadable.
Image grabWindow(unsigned long window);

bool savePng(const Image& image, const std::filesystem::path& path);

// Share of the pixels of `r` whose colour satisfies `test`.
double share(const Image& image, Rect r, const std::function<bool(const std::uint8_t*)>& test);

// Share of the pixels of `r` where some channel differs by more than `levels`.
double shareDiffering(const Image& a, const Image& b, Rect r, int levels);

// Share of the pixels of `r` without colour: the channels within `levels`.
double shareGrey(const Image& image, Rect r, int levels);

} // namespace e2e
