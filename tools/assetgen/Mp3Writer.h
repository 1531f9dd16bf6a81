#pragma once

#include "tools/assetgen/Synth.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace assetgen {

// Encodes 44.1 kHz mono or stereo samples as a constant-bit-rate MP3 with a
// LAME info frame, so players that honour it drop the encoder delay and
// padding and a loop stays sample-exact. Returns an empty vector on failure.
std::vector<std::uint8_t> encodeMp3(const synth::Pcm& pcm, int kbps);

// Largest magnitude (0..1) that LAME's own decoder gets back from `mp3`,
// which holds about `frames` frames; -1 if it cannot be decoded.
double decodedPeak(const std::vector<std::uint8_t>& mp3, std::size_t frames);

// As encodeMp3, but scaled so the decoded file, not the source, peaks at
// `peakDb` dBFS: MP3's filtering moves peaks by a few tenths of a dB either
// way, which matters for sounds meant to sit just under full scale.
std::vector<std::uint8_t> encodeMp3AtPeak(const synth::Pcm& pcm, int kbps, double peakDb);

// The bytes written to `path` (parent folders created). Prints the reason and
// returns false when `bytes` is empty or the file cannot be written.
bool saveBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// encodeMp3, written to `path` (parent folders created). Prints the reason
// and returns false on failure.
bool saveMp3(const std::filesystem::path& path, const synth::Pcm& pcm, int kbps);

} // namespace assetgen
