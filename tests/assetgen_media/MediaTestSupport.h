#pragma once

// Loading helpers shared by the media tests: images through DevIL the way
// the game reads them, and MP3 files decoded through SDL2_mixer.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mediatest {

std::filesystem::path runDir();

struct LoadedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows top to bottom
    const std::uint8_t* at(int x, int y) const {
        return &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
    }
};

// DevIL load, flipped to a top-left origin and converted to RGB bytes.
// Returns an empty image (width 0) when DevIL refuses the file.
LoadedImage loadImage(const std::filesystem::path& path);

// Decoded 16-bit stereo at 44.1 kHz. Mono files come back with both
// channels equal.
struct DecodedSound {
    bool ok = false;
    std::string error;
    std::vector<std::int16_t> samples; // interleaved left, right
    std::size_t frames() const { return samples.size() / 2; }
};

// Decoded once per process and kept.
const DecodedSound& decodeSound(const std::string& file);

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);

} // namespace mediatest
