// The sound files as SDL2_mixer decodes them: the whole table is there, each
// file has its synthesized length and content, levels without clipping, music
// loops that join without a click, a party tempo, and five distinct hits.
#include "tools/assetgen/Sounds.h"
#include "tests/assetgen_media/MediaTestSupport.h"
#include "tools/assetgen/Synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <ostream>
#include <set>

namespace assetgen {
// Failure messages name the file rather than dumping the struct's bytes.
void PrintTo(const SoundAsset& asset, std::ostream* os) {
    *os << asset.file;
}
} // namespace assetgen

namespace {

using assetgen::SoundAsset;
using assetgen::soundAssets;
using mediatest::DecodedSound;
using mediatest::decodeSound;
using mediatest::monoOf;

constexpr double kRate = 44100.0;

// What the generator synthesized before encoding, mixed to mono.
const std::vector<double>& synthesizedMono(const SoundAsset& asset) {
    static std::map<std::string, std::vector<double>> cache;
    auto found = cache.find(asset.file);
    if (found != cache.end()) {
        return found->second;
    }
    const assetgen::synth::Pcm pcm = asset.make();
    std::vector<double>& mono = cache[asset.file];
    mono.resize(pcm.frames());
    for (std::size_t i = 0; i < mono.size(); ++i) {
        double sum = 0.0;
        for (int c = 0; c < pcm.channels; ++c) {
            sum += pcm.samples[i * std::size_t(pcm.channels) + std::size_t(c)];
        }
        mono[i] = sum / pcm.channels;
    }
    return mono;
}

double rms(const std::vector<double>& s, std::size_t from, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i) {
        sum += s[i] * s[i];
    }
    return std::sqrt(sum / double(count));
}

int peakOf(const DecodedSound& sound) {
    int peak = 0;
    for (std::int16_t v : sound.samples) {
        peak = std::max(peak, std::abs(int(v)));
    }
    return peak;
}

double toDb(double linear) {
    return 20.0 * std::log10(linear);
}

std::string testName(const ::testing::TestParamInfo<SoundAsset>& info) {
    std::string name = info.param.file;
    name = name.substr(0, name.find('.'));
    return name;
}

// --- every file ---------------------------------------------------------------

TEST(SoundTable, HasEveryFileTheGamePlays) {
    const std::set<std::string> expected = {"backgroundMusic.mp3",
                                            "disco.mp3",
                                            "moneySound.mp3",
                                            "hitWrong.mp3",
                                            "gameOverSound.mp3",
                                            "ouchSound.mp3",
                                            "hit1.mp3",
                                            "hit2.mp3",
                                            "hit3.mp3",
                                            "hit4.mp3",
                                            "hit5.mp3"};
    std::set<std::string> listed;
    for (const SoundAsset& asset : soundAssets()) {
        listed.insert(asset.file);
        const bool music = std::strcmp(asset.file, "backgroundMusic.mp3") == 0 ||
                           std::strcmp(asset.file, "disco.mp3") == 0;
        EXPECT_EQ(asset.loop, music) << asset.file;
    }
    EXPECT_EQ(listed, expected);
    for (const std::string& file : expected) {
        EXPECT_TRUE(std::filesystem::is_regular_file(mediatest::runDir() / "Sounds" / file))
            << file;
    }
}

class EverySound : public ::testing::TestWithParam<SoundAsset> {};

TEST_P(EverySound, DecodesToItsSynthesizedLength) {
    const DecodedSound& sound = decodeSound(GetParam().file);
    ASSERT_TRUE(sound.ok) << sound.error;
    // The info frame lets the decoder drop LAME's delay and padding exactly.
    EXPECT_EQ(sound.frames(), synthesizedMono(GetParam()).size());
}

TEST_P(EverySound, PeaksAtItsLevelWithoutClipping) {
    const DecodedSound& sound = decodeSound(GetParam().file);
    ASSERT_TRUE(sound.ok) << sound.error;
    const int peak = peakOf(sound);
    EXPECT_LT(peak, 32767) << "clipped";
    const double db = toDb(peak / 32768.0);
    if (GetParam().loop) {
        EXPECT_GT(db, -8.0);
        EXPECT_LT(db, -2.0);
    } else {
        // Near -1 dBFS; decoders differ by a few tenths.
        EXPECT_GT(db, -1.6);
        EXPECT_LT(db, -0.5);
    }
}

TEST_P(EverySound, DecodesToWhatWasSynthesized) {
    const DecodedSound& sound = decodeSound(GetParam().file);
    ASSERT_TRUE(sound.ok) << sound.error;
    const std::vector<double> decoded = monoOf(sound);
    const std::vector<double>& source = synthesizedMono(GetParam());
    ASSERT_EQ(decoded.size(), source.size());
    // Correlation at zero lag: a shifted, truncated or wrong file scores low.
    double dot = 0.0, a2 = 0.0, b2 = 0.0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        dot += decoded[i] * source[i];
        a2 += decoded[i] * decoded[i];
        b2 += source[i] * source[i];
    }
    EXPECT_GT(dot / std::sqrt(a2 * b2), 0.9);
}

INSTANTIATE_TEST_SUITE_P(Files, EverySound, ::testing::ValuesIn(soundAssets()), testName);

// --- music ---------------------------------------------------------------------

class MusicLoop : public ::testing::TestWithParam<const char*> {};

TEST_P(MusicLoop, LastSampleRunsIntoTheFirstWithoutAClick) {
    const DecodedSound& sound = decodeSound(GetParam());
    ASSERT_TRUE(sound.ok) << sound.error;
    const std::size_t n = sound.frames();
    const std::size_t window = 4096;
    ASSERT_GT(n, 2 * window);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        SCOPED_TRACE(ch == 0 ? "left" : "right");
        auto sample = [&](std::size_t frame) { return double(sound.samples[frame * 2 + ch]); };
        // Sample-to-sample steps on either side of the loop point.
        double stepSquares = 0.0;
        double largestStep = 0.0;
        for (std::size_t i = n - window; i + 1 < n; ++i) {
            const double step = std::fabs(sample(i + 1) - sample(i));
            stepSquares += step * step;
            largestStep = std::max(largestStep, step);
        }
        for (std::size_t i = 0; i + 1 < window; ++i) {
            const double step = std::fabs(sample(i + 1) - sample(i));
            stepSquares += step * step;
            largestStep = std::max(largestStep, step);
        }
        const double typicalStep = std::sqrt(stepSquares / double(2 * window - 2));
        const double seam = std::fabs(sample(0) - sample(n - 1));
        EXPECT_LE(seam, std::max(3.0 * typicalStep, 8.0));
        EXPECT_LE(seam, largestStep);
    }
}

TEST_P(MusicLoop, LastsHalfAMinuteAndNeverFallsSilent) {
    const DecodedSound& sound = decodeSound(GetParam());
    ASSERT_TRUE(sound.ok) << sound.error;
    EXPECT_GE(sound.frames() / kRate, 30.0);
    const std::vector<double> mono = monoOf(sound);
    const std::size_t second = std::size_t(kRate);
    for (std::size_t start = 0; start + second <= mono.size(); start += second / 2) {
        EXPECT_GT(toDb(rms(mono, start, second)), -36.0) << "at " << start / kRate << " s";
    }
    // Nor at the very edges, where an untrimmed encoder delay would sit.
    const std::size_t edge = std::size_t(0.02 * kRate);
    EXPECT_GT(toDb(rms(mono, 0, edge)), -45.0);
    EXPECT_GT(toDb(rms(mono, mono.size() - edge, edge)), -45.0);
}

INSTANTIATE_TEST_SUITE_P(Files, MusicLoop, ::testing::Values("backgroundMusic.mp3", "disco.mp3"),
                         [](const auto& info) { return std::string(info.param).substr(0, 5); });

// Tempo from the low-frequency onsets: the autocorrelation's strongest lag
// between 0.3 and 1 s is the beat.
double beatsPerMinute(const std::vector<double>& mono) {
    const std::size_t hop = 256;
    assetgen::synth::Biquad low = assetgen::synth::Biquad::lowPass(150.0, 0.7);
    std::vector<double> energy;
    double sum = 0.0;
    for (std::size_t i = 0; i < mono.size(); ++i) {
        const double v = low.process(mono[i]);
        sum += v * v;
        if ((i + 1) % hop == 0) {
            energy.push_back(sum);
            sum = 0.0;
        }
    }
    std::vector<double> onset(energy.size(), 0.0);
    for (std::size_t i = 1; i < energy.size(); ++i) {
        onset[i] = std::max(0.0, energy[i] - energy[i - 1]);
    }
    const std::size_t minLag = std::size_t(0.3 * kRate / hop);
    const std::size_t maxLag = std::size_t(1.0 * kRate / hop);
    std::size_t bestLag = 0;
    double best = -1.0;
    for (std::size_t lag = minLag; lag <= maxLag; ++lag) {
        double score = 0.0;
        for (std::size_t i = 0; i < onset.size(); ++i) {
            score += onset[i] * onset[(i + lag) % onset.size()];
        }
        if (score > best) {
            best = score;
            bestLag = lag;
        }
    }
    return 60.0 * kRate / double(bestLag * hop);
}

TEST(DiscoLoop, KeepsAPartyTempoOfAtLeast120Bpm) {
    const DecodedSound& sound = decodeSound("disco.mp3");
    ASSERT_TRUE(sound.ok) << sound.error;
    const double bpm = beatsPerMinute(monoOf(sound));
    EXPECT_GE(bpm, 120.0);
    EXPECT_LE(bpm, 135.0);
}

TEST(DiscoLoop, IsDenserThanTheNightMusic) {
    const DecodedSound& disco = decodeSound("disco.mp3");
    const DecodedSound& night = decodeSound("backgroundMusic.mp3");
    ASSERT_TRUE(disco.ok && night.ok);
    const std::vector<double> d = monoOf(disco), n = monoOf(night);
    EXPECT_GT(rms(d, 0, d.size()), 1.2 * rms(n, 0, n.size()));
}

// --- effects -------------------------------------------------------------------

TEST(Effects, HaveLengthsToSuitTheirUse) {
    struct Bounds {
        const char* file;
        double shortest, longest; // seconds
    };
    const Bounds table[] = {
        {"moneySound.mp3", 0.8, 2.5}, {"hitWrong.mp3", 0.2, 1.0}, {"gameOverSound.mp3", 1.8, 5.0},
        {"ouchSound.mp3", 0.2, 1.0},  {"hit1.mp3", 0.1, 0.8},     {"hit2.mp3", 0.1, 0.8},
        {"hit3.mp3", 0.1, 0.8},       {"hit4.mp3", 0.1, 0.8},     {"hit5.mp3", 0.1, 0.8},
    };
    for (const Bounds& b : table) {
        SCOPED_TRACE(b.file);
        const DecodedSound& sound = decodeSound(b.file);
        ASSERT_TRUE(sound.ok) << sound.error;
        const double seconds = sound.frames() / kRate;
        EXPECT_GE(seconds, b.shortest);
        EXPECT_LE(seconds, b.longest);
        // One-shots fade out to silence rather than stopping mid-sound.
        const std::vector<double> mono = monoOf(sound);
        EXPECT_LT(std::fabs(mono.back()), 0.01);
    }
}

TEST(Effects, GameOverPhraseFalls) {
    const DecodedSound& sound = decodeSound("gameOverSound.mp3");
    ASSERT_TRUE(sound.ok) << sound.error;
    const std::vector<double> mono = monoOf(sound);
    // Fundamental by zero crossings of a low-passed window, early and late.
    auto pitch = [&](double from, double to) {
        assetgen::synth::Biquad low = assetgen::synth::Biquad::lowPass(500.0, 0.7);
        const std::size_t a = std::size_t(from * kRate), b = std::size_t(to * kRate);
        int crossings = 0;
        double previous = 0.0;
        for (std::size_t i = a; i < b; ++i) {
            const double v = low.process(mono[i]);
            crossings += i > a + 200 && previous < 0.0 && v >= 0.0;
            previous = v;
        }
        return crossings / (to - from);
    };
    const double opening = pitch(0.05, 0.4);
    const double closing = pitch(1.6, 2.6);
    EXPECT_GT(opening, 150.0);
    EXPECT_LT(closing, opening * 0.93);
}

// Share of energy in each octave band from 100 Hz to 12.8 kHz.
std::array<double, 8> octaveProfile(const std::vector<double>& mono) {
    std::array<double, 8> energy{};
    for (std::size_t b = 0; b < energy.size(); ++b) {
        auto band = assetgen::synth::Biquad::bandPass(100.0 * std::pow(2.0, double(b)), 1.4);
        for (double v : mono) {
            const double y = band.process(v);
            energy[b] += y * y;
        }
    }
    const double total = std::accumulate(energy.begin(), energy.end(), 0.0);
    for (double& e : energy) {
        e /= total;
    }
    return energy;
}

TEST(HitSounds, AreFiveClearlyDifferentThwacks) {
    std::vector<std::array<double, 8>> profiles;
    std::vector<double> lengths;
    for (int i = 1; i <= 5; ++i) {
        const DecodedSound& sound = decodeSound("hit" + std::to_string(i) + ".mp3");
        ASSERT_TRUE(sound.ok) << sound.error;
        const std::vector<double> mono = monoOf(sound);
        profiles.push_back(octaveProfile(mono));
        lengths.push_back(double(mono.size()));
        // A thwack is loudest at once and then dies away.
        const std::size_t tenth = mono.size() / 10;
        EXPECT_GT(rms(mono, 0, tenth), 3.0 * rms(mono, mono.size() - 2 * tenth, tenth))
            << "hit" << i;
    }
    for (std::size_t a = 0; a < profiles.size(); ++a) {
        for (std::size_t b = a + 1; b < profiles.size(); ++b) {
            double distance = 0.0;
            for (std::size_t k = 0; k < profiles[a].size(); ++k) {
                distance += std::fabs(profiles[a][k] - profiles[b][k]);
            }
            const double lengthRatio =
                std::max(lengths[a], lengths[b]) / std::min(lengths[a], lengths[b]);
            // Either the colour or the length tells them apart, clearly.
            EXPECT_TRUE(distance > 0.3 || lengthRatio > 1.6)
                << "hit" << a + 1 << " vs hit" << b + 1 << ": spectral distance " << distance
                << ", length ratio " << lengthRatio;
        }
    }
}

} // namespace
