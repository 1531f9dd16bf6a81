#pragma once

// Small building blocks for the sound generator: buffers, deterministic
// noise, filters, envelopes and a few instruments. Everything is plain
// double-precision arithmetic so the same build always makes the same samples.

#include <cstdint>
#include <vector>

namespace assetgen::synth {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Interleaved float samples in -1..1.
struct Pcm {
    int channels = 1;
    std::vector<float> samples;

    Pcm() = default;
    Pcm(int channelCount, std::size_t frameCount)
        : channels(channelCount), samples(frameCount * std::size_t(channelCount), 0.0f) {}
    std::size_t frames() const { return samples.size() / std::size_t(channels); }
};

// A mono signal being built up note by note.
using Signal = std::vector<double>;

inline std::size_t framesFor(double seconds) {
    return std::size_t(seconds * kSampleRate + 0.5);
}

double midiHz(double note);
double dbToGain(double db);

// xorshift64*: fast, and the same sequence on every platform.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t nextBits();
    double white() { return double(nextBits() >> 11) * (2.0 / 9007199254740992.0) - 1.0; }
    double uniform(double lo, double hi) { return lo + (white() * 0.5 + 0.5) * (hi - lo); }

private:
    std::uint64_t state_;
};

// RBJ biquad (direct form I).
class Biquad {
public:
    static Biquad lowPass(double hz, double q);
    static Biquad highPass(double hz, double q);
    static Biquad bandPass(double hz, double q); // 0 dB peak gain
    void retune(const Biquad& other);            // new coefficients, same state
    double process(double x);

private:
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Band-limited sawtooth and pulse from naive shapes corrected with PolyBLEP.
class Oscillator {
public:
    explicit Oscillator(double phase = 0) : phase_(phase) {}
    double saw(double hz);
    double pulse(double hz, double width);
    double sine(double hz);

private:
    double advance(double hz);
    double phase_;
};

// Linear attack, exponential-ish decay to sustain, linear release after
// `gate` seconds. Returns the gain at time `t`.
double adsr(double t, double attack, double decay, double sustain, double gate, double release);

// Adds `note` into `out` from frame `start`, panned (-1 left .. 1 right)
// with constant power. Past the end it wraps to the start, so a loop built
// this way is continuous across its end.
void mixLooped(Pcm& out, const Signal& note, long start, double gain, double pan);
// Same without wrapping: what does not fit is cut off.
void mixAt(Pcm& out, const Signal& note, long start, double gain, double pan);

double peakOf(const Pcm& pcm);
// Scales so the largest magnitude is `peakDb` dBFS.
void normalizeTo(Pcm& pcm, double peakDb);
// Short raised-cosine fades so a one-shot starts and ends at silence.
void fadeEdges(Pcm& pcm, double inSeconds, double outSeconds);

// Instruments. Each returns one note, already enveloped, peaking near 1.
Signal softPad(double hz, double gate, std::uint64_t seed);
Signal electricPiano(double hz, double gate);
Signal roundBass(double hz, double gate);
Signal pluckedString(double hz, double seconds, std::uint64_t seed);
Signal discoBass(double hz, double gate);
Signal chordStab(const std::vector<double>& hz, double gate);
Signal leadSynth(double hz, double gate);
Signal kickDrum();
Signal clap(std::uint64_t seed);
Signal hiHat(bool open, std::uint64_t seed);
Signal cricketChirp(double hz, int pulses);

} // namespace assetgen::synth
