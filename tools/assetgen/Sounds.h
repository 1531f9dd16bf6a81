#pragma once

#include "tools/assetgen/Synth.h"

#include <filesystem>
#include <vector>

namespace assetgen {

// One file of the sound folder and the code that makes its samples.
struct SoundAsset {
    const char* file;
    bool loop; // music: its end must join its start without a click
    int kbps;
    synth::Pcm (*make)();
};

// Every sound the game plays.
const std::vector<SoundAsset>& soundAssets();

// Effects are normalized a little under -1 dBFS so MP3's small overshoot
// still leaves them near -1 dBFS without clipping; music sits lower.
constexpr double kEffectPeakDb = -1.0;

// Writes its files under `dir`; returns false after printing what failed.
bool generateSounds(const std::filesystem::path& dir);

} // namespace assetgen
