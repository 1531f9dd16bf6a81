#include "tools/assetgen/Music.h"

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace assetgen {

using namespace synth;

namespace {

// The night piece stays in the background; the party track is pushed a
// little harder.
constexpr double kNightPeakDb = -6.0;
constexpr double kDiscoPeakDb = -3.0;

// A loop of whole beats; positions are given in beats from its start.
class Loop {
public:
    Loop(double bpm, int beats)
        : beatSeconds_(60.0 / bpm),
          pcm_(2, std::size_t(std::llround(beats * beatSeconds_ * kSampleRate))) {}

    double beats(double n) const { return n * beatSeconds_; }
    void add(const Signal& note, double beat, double gain, double pan) {
        mixLooped(pcm_, note, std::lround(beat * beatSeconds_ * kSampleRate), gain, pan);
    }
    // The note plus fading repeats, alternating sides, like a ping-pong delay.
    void addWithEcho(const Signal& note, double beat, double gain, double pan, double delayBeats,
                     double feedback, int repeats) {
        add(note, beat, gain, pan);
        double g = gain;
        for (int r = 1; r <= repeats; ++r) {
            g *= feedback;
            add(note, beat + r * delayBeats, g, r % 2 == 1 ? -pan - 0.3 : pan);
        }
    }
    // `drive` > 0 rounds off the loudest peaks (the kicks) so the rest of
    // the mix can sit louder, as a mastering limiter would.
    Pcm finish(double peakDb, double drive = 0.0) {
        if (drive > 0.0) {
            normalizeTo(pcm_, 0.0);
            for (float& v : pcm_.samples) {
                v = float(std::tanh(drive * v) / std::tanh(drive));
            }
        }
        normalizeTo(pcm_, peakDb);
        return std::move(pcm_);
    }

private:
    double beatSeconds_;
    Pcm pcm_;
};

struct Chord {
    int bass;                 // MIDI note of the bass root
    std::array<int, 4> tones; // voicing around middle C; the last may repeat
};

struct MelodyNote {
    double beat; // from the start of the loop
    int note;
    double beats;
};

} // namespace

Pcm makeNightMusic() {
    const int beatsPerBar = 4;
    Loop loop(kNightBeatsPerMinute, kNightBars * beatsPerBar);
    // Am F C G | Am F Dm E: the major E pulls back to the opening Am.
    const std::array<Chord, kNightBars> chords = {{
        {45, {57, 60, 64, 64}},
        {41, {57, 60, 65, 65}},
        {48, {55, 60, 64, 64}},
        {43, {55, 59, 62, 62}},
        {45, {57, 60, 64, 64}},
        {41, {57, 60, 65, 65}},
        {38, {57, 62, 65, 65}},
        {40, {56, 59, 64, 64}},
    }};
    for (int bar = 0; bar < kNightBars; ++bar) {
        const Chord& chord = chords[std::size_t(bar)];
        const double start = bar * beatsPerBar;
        // Pad: three held voices, each a bar long and cross-fading with the next.
        for (int v = 0; v < 3; ++v) {
            const int tone = chord.tones[std::size_t(v)];
            loop.add(softPad(midiHz(tone), loop.beats(4.0), std::uint64_t(bar * 7 + v)), start, 0.2,
                     -0.5 + 0.5 * v);
        }
        // Bass: root, fifth, root.
        loop.add(roundBass(midiHz(chord.bass - 12), loop.beats(1.9)), start, 0.55, 0.0);
        loop.add(roundBass(midiHz(chord.bass - 5), loop.beats(0.9)), start + 2, 0.45, 0.0);
        loop.add(roundBass(midiHz(chord.bass - 12), loop.beats(0.9)), start + 3, 0.45, 0.0);
        // Arpeggio in eighths, an octave above the pad.
        const std::array<int, 8> pattern = {0, 1, 2, 3, 2, 1, 0, 1};
        for (int step = 0; step < 8; ++step) {
            const int index = pattern[std::size_t(step)];
            const int tone =
                index == 3 ? chord.tones[0] + 24 : chord.tones[std::size_t(index)] + 12;
            loop.addWithEcho(pluckedString(midiHz(tone), 1.4, std::uint64_t(100 + bar * 8 + step)),
                             start + 0.5 * step, step == 0 ? 0.17 : 0.12,
                             step % 2 == 0 ? -0.35 : 0.35, 0.75, 0.35, 2);
        }
    }

    const std::vector<MelodyNote> melody = {
        {0, 76, 2},    {2, 72, 1},      {3, 69, 1},               // Am
        {4, 72, 1.5},  {5.5, 74, 0.5},  {6, 72, 1},  {7, 69, 1},  // F
        {8, 67, 2},    {10, 76, 1},     {11, 74, 1},              // C
        {12, 74, 3},   {15, 71, 1},                               // G
        {16, 81, 2},   {18, 79, 1},     {19, 76, 1},              // Am
        {20, 77, 1.5}, {21.5, 76, 0.5}, {22, 72, 2},              // F
        {24, 74, 1},   {25, 77, 1},     {26, 81, 1}, {27, 77, 1}, // Dm
        {28, 76, 2},   {30, 68, 1},     {31, 71, 1},              // E
    };
    for (const MelodyNote& n : melody) {
        loop.addWithEcho(electricPiano(midiHz(n.note), loop.beats(n.beats) * 0.95), n.beat, 0.42,
                         0.1, 0.75, 0.3, 2);
    }

    // Crickets in the grass: a few chirps at fixed, irregular places.
    Noise noise(2024);
    for (int i = 0; i < 14; ++i) {
        const double beat = i * (kNightBars * beatsPerBar / 14.0) + noise.uniform(0.0, 1.5);
        const int pulses = 2 + int(noise.uniform(0.0, 2.99));
        loop.add(cricketChirp(noise.uniform(4300.0, 4900.0), pulses), beat,
                 noise.uniform(0.02, 0.04), noise.uniform(-0.8, 0.8));
    }
    return loop.finish(kNightPeakDb);
}

Pcm makeDiscoMusic() {
    const int beatsPerBar = 4;
    const int beats = kDiscoBars * beatsPerBar;
    Loop loop(kDiscoBeatsPerMinute, beats);
    // Am7 Dm7 G7 Cmaj7 | Fmaj7 Dm7 E7sus4 E7, played twice.
    const std::array<Chord, 8> chords = {{
        {45, {57, 60, 64, 67}},
        {38, {57, 60, 62, 65}},
        {43, {55, 59, 62, 65}},
        {36, {55, 59, 60, 64}},
        {41, {57, 60, 64, 65}},
        {38, {57, 60, 62, 65}},
        {40, {57, 59, 62, 64}},
        {40, {56, 59, 62, 64}},
    }};

    const Signal kick = kickDrum();
    for (int beat = 0; beat < beats; ++beat) {
        loop.add(kick, beat, 0.95, 0.0);
        if (beat % 2 == 1) {
            loop.add(clap(std::uint64_t(beat)), beat, 0.42, 0.1);
        }
        loop.add(hiHat(true, std::uint64_t(1000 + beat)), beat + 0.5, 0.2, 0.25);
        loop.add(hiHat(false, std::uint64_t(2000 + beat)), beat + 0.25, 0.1, -0.3);
        loop.add(hiHat(false, std::uint64_t(3000 + beat)), beat + 0.75, 0.13, -0.3);
    }

    for (int bar = 0; bar < kDiscoBars; ++bar) {
        const Chord& chord = chords[std::size_t(bar % 8)];
        const double start = bar * beatsPerBar;
        // Octave-jumping bass in eighths.
        for (int step = 0; step < 8; ++step) {
            const int note = chord.bass - 12 + (step % 2 == 1 ? 12 : 0);
            loop.add(discoBass(midiHz(note), loop.beats(0.38)), start + 0.5 * step, 0.5, 0.0);
        }
        // Chord stabs on the off-beats.
        std::vector<double> hz;
        for (int tone : chord.tones) {
            hz.push_back(midiHz(tone));
        }
        const std::array<double, 4> stabs = {0.5, 1.5, 2.75, 3.5};
        for (std::size_t s = 0; s < stabs.size(); ++s) {
            loop.add(chordStab(hz, loop.beats(0.2)), start + stabs[s], 0.3, s % 2 ? 0.4 : -0.4);
        }
        // Strings underneath, an octave up.
        for (int v = 0; v < 3; ++v) {
            loop.add(softPad(midiHz(chord.tones[std::size_t(v + 1)] + 12), loop.beats(4.0),
                             std::uint64_t(500 + bar * 3 + v)),
                     start, 0.07, -0.6 + 0.6 * v);
        }
        // The lead joins for the second half; a long call note in the first.
        if (bar >= 8) {
            const std::array<double, 6> at = {0.0, 0.75, 1.5, 2.0, 2.5, 3.25};
            const std::array<int, 6> tone = {3, 2, 1, 2, 0, 1};
            for (std::size_t k = 0; k < at.size(); ++k) {
                const double length = (k + 1 < at.size() ? at[k + 1] : 4.0) - at[k];
                loop.addWithEcho(leadSynth(midiHz(chord.tones[std::size_t(tone[k])] + 12),
                                           loop.beats(length * 0.8)),
                                 start + at[k], 0.24, 0.15, 0.75, 0.3, 2);
            }
        } else if (bar % 2 == 0) {
            loop.addWithEcho(leadSynth(midiHz(chord.tones[3] + 12), loop.beats(3.0)), start + 0.5,
                             0.16, -0.15, 0.75, 0.3, 2);
        }
    }
    return loop.finish(kDiscoPeakDb, 1.8);
}

} // namespace assetgen
