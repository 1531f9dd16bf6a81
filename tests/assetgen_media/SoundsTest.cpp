// The sound files as SDL2_mixer decodes them: every file the game plays is
// there with a length to suit its use, at its level without clipping, and the
// music loops join without a click.
#include "tools/assetgen/Sounds.h"
#include "tests/support/BuildPaths.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

// Opens the mixer at the generator's 44.1 kHz, so nothing is resampled;
// empty when it opened, else why not.
std::string openAudio() {
    const bool open =
        SDL_Init(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) == 0;
    return open ? "" : SDL_GetError();
}

// Decoded 16-bit stereo at 44.1 kHz; mono files come back with both
// channels equal.
struct DecodedSound {
    std::string error;                 // empty when decoded
    std::vector<std::int16_t> samples; // interleaved left, right
    std::size_t frames() const { return samples.size() / 2; }
};

DecodedSound decodeSound(const std::string& file) {
    static const std::string audioError = openAudio();
    DecodedSound sound;
    const auto path = std::filesystem::path(testsupport::runDir()) / "Sounds" / file;
    Mix_Chunk* chunk = audioError.empty() ? Mix_LoadWAV(path.string().c_str()) : nullptr;
    if (chunk == nullptr) {
        sound.error = audioError.empty() ? Mix_GetError() : audioError;
        return sound;
    }
    const auto* begin = reinterpret_cast<const std::int16_t*>(chunk->abuf);
    sound.samples.assign(begin, begin + chunk->alen / sizeof(std::int16_t));
    Mix_FreeChunk(chunk);
    return sound;
}

// The steps on either side of the loop point: the seam is no larger than
// the sound's own.
void expectNoClickAtTheLoop(const DecodedSound& sound) {
    const std::size_t n = sound.frames();
    const std::size_t window = 4096;
    ASSERT_GT(n, 2 * window);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        auto sample = [&](std::size_t frame) { return double(sound.samples[frame * 2 + ch]); };
        double stepSquares = 0.0;
        double largestStep = 0.0;
        for (std::size_t k = 0; k + 2 < 2 * window; ++k) {
            const std::size_t i = k < window - 1 ? n - window + k : k - (window - 1);
            const double step = std::fabs(sample(i + 1) - sample(i));
            stepSquares += step * step;
            largestStep = std::max(largestStep, step);
        }
        const double typicalStep = std::sqrt(stepSquares / double(2 * window - 2));
        const double seam = std::fabs(sample(0) - sample(n - 1));
        EXPECT_LE(seam, std::max(3.0 * typicalStep, 8.0)) << "channel " << ch;
        EXPECT_LE(seam, largestStep) << "channel " << ch;
    }
}

TEST(Sounds, EveryFileDecodesWithALengthAndLevelToSuitItsUse) {
    struct Bounds {
        double shortest, longest; // seconds
    };
    std::map<std::string, Bounds> table = {
        {"backgroundMusic.mp3", {30.0, 120.0}}, {"disco.mp3", {30.0, 120.0}},
        {"moneySound.mp3", {0.8, 2.5}},         {"hitWrong.mp3", {0.2, 1.0}},
        {"gameOverSound.mp3", {1.8, 5.0}},      {"ouchSound.mp3", {0.2, 1.0}}};
    for (int i = 1; i <= 5; ++i) {
        table["hit" + std::to_string(i) + ".mp3"] = {0.1, 0.8};
    }
    ASSERT_EQ(assetgen::soundAssets().size(), table.size());
    for (const assetgen::SoundAsset& asset : assetgen::soundAssets()) {
        SCOPED_TRACE(asset.file);
        const auto bounds = table.find(asset.file);
        ASSERT_NE(bounds, table.end()) << "a file the game never plays";
        // Only the two music tracks loop.
        EXPECT_EQ(asset.loop, bounds->second.shortest >= 30.0);
        const DecodedSound sound = decodeSound(asset.file);
        ASSERT_EQ(sound.error, "");
        const double seconds = sound.frames() / 44100.0;
        EXPECT_GE(seconds, bounds->second.shortest);
        EXPECT_LE(seconds, bounds->second.longest);

        int peak = 0;
        for (std::int16_t v : sound.samples) {
            peak = std::max(peak, std::abs(int(v)));
        }
        const double db = 20.0 * std::log10(peak / 32768.0);
        // Both ranges end below full scale: nothing is clipped.
        if (asset.loop) {
            EXPECT_GT(db, -8.0);
            EXPECT_LT(db, -2.0);
            expectNoClickAtTheLoop(sound);
        } else {
            // Near -1 dBFS; decoders differ by a few tenths.
            EXPECT_GT(db, -1.6);
            EXPECT_LT(db, -0.5);
            // One-shots fade out rather than stopping mid-sound.
            const auto& s = sound.samples;
            EXPECT_LT(std::fabs((s[s.size() - 2] + s.back()) / 65536.0), 0.01);
        }
    }
}

} // namespace
