#pragma once

// Helpers shared by the media tests: MP3 files decoded through SDL2_mixer, and
// files read whole.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mediatest {

std::filesystem::path runDir();

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
