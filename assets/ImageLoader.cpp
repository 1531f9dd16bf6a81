#include "assets/ImageLoader.h"

#include "app/Console.h"
#include "assets/JpegStream.h"
#include "assets/Preload.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace pizzeria::assets {

namespace {

// The numbers and texts of the game's image messages, which players' reports
// and the damaged-file runs match.
constexpr unsigned kCouldNotOpen = 1290;
constexpr unsigned kUnreadable = 1506;

DecodedImage failed(unsigned error) {
    DecodedImage result;
    result.error = error;
    return result;
}

// The name decides the format, as it always has: a .jpg holding a PNG is
// damaged, not a PNG.
bool namedJpeg(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg" || extension == ".jpe";
}

} // namespace

DecodedImage decodeRgbImage(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return failed(kUnreadable);
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return failed(kCouldNotOpen);
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    const bool jpeg = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    if (readFailed || bytes.empty() || bytes.size() > std::size_t(INT_MAX) ||
        (namedJpeg(path) && !jpeg)) {
        return failed(kUnreadable);
    }
    if (jpeg) {
        JpegStream stream = readJpegStream(bytes);
        if (stream.broken) {
            return failed(kUnreadable);
        }
        bytes = std::move(stream.bytes);
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 3);
    if (pixels == nullptr) {
        return failed(kUnreadable);
    }
    DecodedImage result;
    result.image.width = width;
    result.image.height = height;
    result.image.pixels.assign(pixels, pixels + std::size_t(width) * std::size_t(height) * 3);
    stbi_image_free(pixels);
    return result;
}

void failImage(const DecodedImage& decoded, const std::string& path, bool namePath) {
    std::cout << "ERROR: Image load failed - IL reports error: " << decoded.error << " - "
              << (decoded.error == kCouldNotOpen ? "could not open file" : "jpeg library error")
              << (namePath ? ": " + path : std::string()) << std::endl;
    app::exitAfterPause(1);
}

RgbImage loadRgbImage(const std::string& path, bool namePath) {
    std::optional<PreparedImage> prepared = takePreparedImage(path);
    DecodedImage decoded = prepared ? std::move(prepared->decoded) : decodeRgbImage(path);
    if (decoded.failed()) {
        failImage(decoded, path, namePath);
    }
    return std::move(decoded.image);
}

} // namespace pizzeria::assets
