#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace assettest {

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

inline std::ostream& operator<<(std::ostream& out, const Rgba& p) {
    return out << "(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a)
               << ")";
}

// A picture as it is seen: rows[0] is the top row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels; // row by row, top row first

    Rgba at(int x, int y) const { return pixels[std::size_t(y * width + x)]; }
};

// A picture of one colour.
Picture solid(int width, int height, Rgba colour);

// Uncompressed true-colour TGA, rows stored from the top or from the bottom.
void writeTga(const std::filesystem::path& path, const Picture& picture, bool topDown,
              bool withAlpha);
// Binary PPM, always stored from the top.
void writePpm(const std::filesystem::path& path, const Picture& picture);

void writeText(const std::filesystem::path& path, const std::string& text);

// A path of exactly `length` characters naming a (not yet written) .tga file
// under `base`, made of as many folders as needed; the folders are created.
std::filesystem::path pathOfLength(const std::filesystem::path& base, std::size_t length);

} // namespace assettest
