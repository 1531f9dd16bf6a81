#include "tests/assets/ImageFiles.h"

#include <fstream>
#include <stdexcept>

namespace assettest {

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(std::uint8_t(value & 0xff));
    out.push_back(std::uint8_t((value >> 8) & 0xff));
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// Row index in the file for picture row `y`.
int storedRow(const Picture& picture, int y, bool topDown) {
    return topDown ? y : picture.height - 1 - y;
}

} // namespace

Picture solid(int width, int height, Rgba colour) {
    return Picture{width, height, std::vector<Rgba>(std::size_t(width * height), colour)};
}

void writeTga(const std::filesystem::path& path, const Picture& picture, bool topDown,
              bool withAlpha) {
    std::vector<std::uint8_t> out{0, 0, 2, 0, 0, 0, 0, 0};
    put16(out, 0);
    put16(out, 0);
    put16(out, unsigned(picture.width));
    put16(out, unsigned(picture.height));
    out.push_back(withAlpha ? 32 : 24);
    out.push_back(std::uint8_t((withAlpha ? 8 : 0) | (topDown ? 0x20 : 0)));
    for (int row = 0; row < picture.height; ++row) {
        const int y = storedRow(picture, row, topDown);
        for (int x = 0; x < picture.width; ++x) {
            const Rgba p = picture.at(x, y);
            out.insert(out.end(), {p.b, p.g, p.r});
            if (withAlpha) {
                out.push_back(p.a);
            }
        }
    }
    writeBytes(path, out);
}

void writePpm(const std::filesystem::path& path, const Picture& picture) {
    const std::string header =
        "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (const Rgba& p : picture.pixels) {
        out.insert(out.end(), {p.r, p.g, p.b});
    }
    writeBytes(path, out);
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::filesystem::path pathOfLength(const std::filesystem::path& base, std::size_t length) {
    std::string path = base.string();
    // Folders of 100 characters leave between 100 and 200 for the file name.
    while (length - path.size() > 201) {
        path += "/" + std::string(100, 'd');
    }
    std::filesystem::create_directories(path);
    const std::size_t nameLength = length - path.size() - 1;
    if (nameLength < 5) {
        throw std::runtime_error("no room for a file name");
    }
    path += "/" + std::string(nameLength - 4, 'f') + ".tga";
    return path;
}

} // namespace assettest
