#include "tools/assetgen/Sounds.h"

#include "tools/assetgen/Mp3Writer.h"
#include "tools/assetgen/Music.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <future>

namespace assetgen {

using namespace synth;

namespace {

constexpr double kDt = 1.0 / kSampleRate;

// `fadeOut` lets ringing sounds die away rather than stop.
Pcm finishEffect(Pcm pcm, double fadeOut = 0.015) {
    fadeEdges(pcm, 0.0005, fadeOut);
    normalizeTo(pcm, kEffectPeakDb);
    return pcm;
}

Signal scaledToPeak(Signal s) {
    double peak = 0.0;
    for (double v : s) {
        peak = std::max(peak, std::fabs(v));
    }
    for (double& v : s) {
        v = peak > 0.0 ? v / peak : 0.0;
    }
    return s;
}

// Struck bell: slightly stretched partials, the high ones dying first.
Signal bell(double hz, double seconds) {
    const std::array<double, 5> ratio = {1.0, 2.0, 2.76, 4.07, 5.4};
    const std::array<double, 5> level = {1.0, 0.5, 0.35, 0.2, 0.12};
    const std::array<double, 5> decay = {2.4, 3.5, 5.0, 7.0, 9.0};
    Signal s(framesFor(seconds));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        double v = 0.0;
        for (std::size_t p = 0; p < ratio.size(); ++p) {
            v += level[p] * std::sin(kTwoPi * hz * ratio[p] * t) * std::exp(-t * decay[p]);
        }
        s[i] = v * std::min(1.0, t / 0.001);
    }
    return scaledToPeak(s);
}

Pcm cashChime() {
    Pcm out(1, framesFor(1.9));
    Noise noise(11);
    // The drawer's clack...
    Signal clack(framesFor(0.14));
    Biquad band = Biquad::bandPass(3200.0, 0.8);
    for (std::size_t i = 0; i < clack.size(); ++i) {
        const double t = double(i) * kDt;
        const double metal = std::sin(kTwoPi * 2150.0 * t) + 0.7 * std::sin(kTwoPi * 3430.0 * t) +
                             0.5 * std::sin(kTwoPi * 5230.0 * t);
        clack[i] =
            band.process(noise.white()) * std::exp(-t * 30.0) + 0.3 * metal * std::exp(-t * 60.0);
    }
    mixAt(out, scaledToPeak(clack), 0, 0.55, 0.0);
    // ...coins...
    for (int c = 0; c < 6; ++c) {
        const double at = noise.uniform(0.03, 0.4);
        Signal ping = bell(noise.uniform(3200.0, 5200.0), 0.12);
        mixAt(out, ping, long(framesFor(at)), 0.12, 0.0);
    }
    // ...and the two-note ring.
    mixAt(out, bell(midiHz(88), 1.8), long(framesFor(0.07)), 0.65, 0.0);
    mixAt(out, bell(midiHz(95), 1.7), long(framesFor(0.2)), 0.6, 0.0);
    return finishEffect(std::move(out), 0.5);
}

Pcm wrongBuzzer() {
    Pcm out(1, framesFor(0.56));
    for (double at : {0.0, 0.29}) {
        Signal blast(framesFor(0.24));
        Oscillator a, b(0.3), low(0.6);
        Biquad lp = Biquad::lowPass(2200.0, 0.7);
        for (std::size_t i = 0; i < blast.size(); ++i) {
            const double t = double(i) * kDt;
            const double v = a.pulse(110.0, 0.5) + 0.8 * b.pulse(116.5, 0.5) + 0.3 * low.saw(55.0);
            const double edge = std::min({1.0, t / 0.004, (0.24 - t) / 0.025});
            blast[i] = lp.process(v) * std::max(0.0, edge);
        }
        mixAt(out, scaledToPeak(blast), long(framesFor(at)), 1.0, 0.0);
    }
    return finishEffect(std::move(out));
}

// A muted brass "wah wah wah waaah", each step a semitone lower, the last
// one sagging further with a widening vibrato.
Pcm gameOverPhrase() {
    struct Step {
        int note;
        double start;
        double length;
    };
    const std::array<Step, 4> steps = {
        {{67, 0.0, 0.42}, {66, 0.45, 0.42}, {65, 0.9, 0.42}, {64, 1.35, 1.6}}};
    Pcm out(1, framesFor(3.1));
    for (const Step& step : steps) {
        const bool last = &step == &steps.back();
        Signal s(framesFor(step.length + 0.1));
        Oscillator saw, pulse(0.25);
        Biquad lp = Biquad::lowPass(800.0, 2.0);
        for (std::size_t i = 0; i < s.size(); ++i) {
            const double t = double(i) * kDt;
            double hz = midiHz(step.note);
            if (last) {
                const double sag = std::max(0.0, t - 0.6) / (step.length - 0.6);
                const double depth = 0.012 * std::min(1.0, t / 0.8);
                hz *= std::pow(2.0, -1.5 * sag * sag / 12.0) *
                      (1.0 + depth * std::sin(kTwoPi * 5.0 * t));
            }
            if (i % 16 == 0) {
                // The mute opening and closing: bright at the start of each note.
                double wah = std::min(1.0, t / 0.06) * (0.5 + 0.5 * std::exp(-t * 5.0));
                if (last) {
                    wah *= 0.75 + 0.25 * std::sin(kTwoPi * 3.0 * t);
                }
                lp.retune(Biquad::lowPass(300.0 + 1700.0 * wah, 2.0));
            }
            const double v = lp.process(saw.saw(hz) + 0.5 * pulse.pulse(hz * 0.5, 0.4));
            const double env = std::min({1.0, t / 0.03, std::max(0.0, (step.length - t) / 0.09)});
            s[i] = v * std::max(0.0, env);
        }
        mixAt(out, scaledToPeak(s), long(framesFor(step.start)), last ? 1.0 : 0.85, 0.0);
    }
    return finishEffect(std::move(out));
}

// "Ow!": a voiced source through three formant filters gliding from an
// open "a" to a rounded "u" while the pitch jumps up and then falls away.
Pcm ouchCry() {
    const double length = 0.55;
    Pcm out(1, framesFor(length));
    Signal s(out.frames());
    Oscillator glottis;
    Noise breath(7);
    Biquad tilt = Biquad::lowPass(1800.0, 0.7);
    const std::array<double, 3> openF = {760.0, 1250.0, 2550.0};
    const std::array<double, 3> roundF = {380.0, 830.0, 2300.0};
    const std::array<double, 3> gain = {1.0, 0.7, 0.35};
    const std::array<double, 3> q = {6.0, 9.0, 12.0};
    std::array<Biquad, 3> formant;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        const double rise = std::min(1.0, t / 0.07);
        const double fall = std::clamp((t - 0.07) / 0.43, 0.0, 1.0);
        const double f0 = (300.0 + 130.0 * rise - 230.0 * fall * (2.0 - fall)) *
                          (1.0 + 0.012 * std::sin(kTwoPi * 23.0 * t));
        if (i % 32 == 0) {
            const double u = std::clamp((t - 0.12) / 0.23, 0.0, 1.0);
            for (std::size_t k = 0; k < formant.size(); ++k) {
                const double hz = openF[k] + (roundF[k] - openF[k]) * u;
                formant[k].retune(Biquad::bandPass(hz, q[k]));
            }
        }
        const double source = tilt.process(glottis.saw(f0)) + 0.05 * breath.white();
        double v = 0.0;
        for (std::size_t k = 0; k < formant.size(); ++k) {
            v += gain[k] * formant[k].process(source);
        }
        const double rough = 1.0 - 0.15 * (0.5 + 0.5 * std::sin(kTwoPi * 70.0 * t));
        const double env = std::min(1.0, t / 0.02) * std::clamp((length - t) / 0.3, 0.0, 1.0);
        s[i] = v * rough * env;
    }
    mixAt(out, scaledToPeak(s), 0, 1.0, 0.0);
    return finishEffect(std::move(out));
}

// A thwack is a falling thump, a burst of shaped noise and optionally a few
// ringing modes of whatever was struck.
struct Mode {
    double hz;
    double decay;
    double level;
};

enum class NoiseShape { LowPass, BandPass, HighPass, Sweep };

struct Thwack {
    double length;
    double thumpFrom, thumpTo, thumpDecay, thumpLevel;
    NoiseShape shape;
    double noiseHz, noiseQ, noiseDecay, noiseLevel;
    std::array<Mode, 4> modes;
    std::uint64_t seed;
};

Pcm thwack(const Thwack& recipe) {
    Pcm out(1, framesFor(recipe.length));
    Signal s(out.frames());
    Noise noise(recipe.seed);
    Biquad filter;
    switch (recipe.shape) {
    case NoiseShape::LowPass:
    case NoiseShape::Sweep:
        filter = Biquad::lowPass(recipe.noiseHz, recipe.noiseQ);
        break;
    case NoiseShape::BandPass:
        filter = Biquad::bandPass(recipe.noiseHz, recipe.noiseQ);
        break;
    case NoiseShape::HighPass:
        filter = Biquad::highPass(recipe.noiseHz, recipe.noiseQ);
        break;
    }
    double phase = 0.0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        if (recipe.shape == NoiseShape::Sweep && i % 16 == 0) {
            const double hz = 250.0 + (recipe.noiseHz - 250.0) * std::exp(-t * 18.0);
            filter.retune(Biquad::lowPass(hz, recipe.noiseQ));
        }
        const double hz =
            recipe.thumpTo + (recipe.thumpFrom - recipe.thumpTo) * std::exp(-t * 35.0);
        double v = recipe.thumpLevel * std::sin(kTwoPi * phase) * std::exp(-t * recipe.thumpDecay);
        phase += hz * kDt;
        v += recipe.noiseLevel * filter.process(noise.white()) * std::exp(-t * recipe.noiseDecay);
        for (const Mode& m : recipe.modes) {
            v += m.level * std::sin(kTwoPi * m.hz * t) * std::exp(-t * m.decay);
        }
        s[i] = v * std::min(1.0, t / 0.0007);
    }
    mixAt(out, scaledToPeak(s), 0, 1.0, 0.0);
    return finishEffect(std::move(out), 0.06);
}

// clang-format off
const std::array<Thwack, 5> kThwacks = {{
    // length; thump from, to, decay, level; noise shape, hz, q, decay, level;
    // ringing modes (hz, decay, level); seed
    // 1: a dull, heavy thud.
    {0.35, 150, 68, 14, 1.0, NoiseShape::LowPass, 800, 0.7, 45, 0.5, {}, 101},
    // 2: a dry wooden crack.
    {0.3, 220, 160, 30, 0.35, NoiseShape::BandPass, 2600, 1.2, 110, 1.6,
     {{{540, 28, 0.5}, {1230, 35, 0.35}, {1960, 45, 0.25}, {2840, 60, 0.15}}}, 102},
    // 3: a short, bright slap.
    {0.22, 300, 200, 40, 0.25, NoiseShape::HighPass, 1800, 0.7, 55, 1.0, {}, 103},
    // 4: the nails ring out.
    {0.65, 180, 90, 20, 0.6, NoiseShape::BandPass, 4000, 0.9, 80, 1.0,
     {{{1270, 7, 0.3}, {2910, 9, 0.25}, {4330, 12, 0.18}, {5980, 15, 0.1}}}, 104},
    // 5: a wet squelch.
    {0.4, 110, 55, 12, 0.7, NoiseShape::Sweep, 3200, 5.0, 14, 0.5, {}, 105},
}};
// clang-format on

template <std::size_t N> Pcm makeThwack() {
    return thwack(kThwacks[N]);
}

} // namespace

const std::vector<SoundAsset>& soundAssets() {
    static const std::vector<SoundAsset> assets = {
        {"backgroundMusic.mp3", true, 160, makeNightMusic},
        {"disco.mp3", true, 160, makeDiscoMusic},
        {"moneySound.mp3", false, 128, cashChime},
        {"hitWrong.mp3", false, 128, wrongBuzzer},
        {"gameOverSound.mp3", false, 128, gameOverPhrase},
        {"ouchSound.mp3", false, 128, ouchCry},
        {"hit1.mp3", false, 128, makeThwack<0>},
        {"hit2.mp3", false, 128, makeThwack<1>},
        {"hit3.mp3", false, 128, makeThwack<2>},
        {"hit4.mp3", false, 128, makeThwack<3>},
        {"hit5.mp3", false, 128, makeThwack<4>},
    };
    return assets;
}

bool generateSounds(const std::filesystem::path& dir) {
    // The two long music files dominate; each runs on its own thread while
    // this one does the short effects.
    const std::vector<SoundAsset>& assets = soundAssets();
    auto write = [&dir](const SoundAsset& asset) {
        if (asset.loop) {
            return saveMp3(dir / asset.file, asset.make(), asset.kbps);
        }
        const auto bytes = encodeMp3AtPeak(asset.make(), asset.kbps, kEffectPeakDb);
        return saveBytes(dir / asset.file, bytes);
    };
    std::filesystem::create_directories(dir);
    std::vector<std::future<bool>> music;
    bool ok = true;
    for (const SoundAsset& asset : assets) {
        if (asset.loop) {
            music.push_back(std::async(std::launch::async, write, std::cref(asset)));
        }
    }
    for (const SoundAsset& asset : assets) {
        if (!asset.loop) {
            ok = write(asset) && ok;
        }
    }
    for (std::future<bool>& done : music) {
        ok = done.get() && ok;
    }
    return ok;
}

} // namespace assetgen
