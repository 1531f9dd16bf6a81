#include "tools/assetgen/Synth.h"

#include <algorithm>
#include <cmath>

namespace assetgen::synth {

namespace {

constexpr double kDt = 1.0 / kSampleRate;

// Residual that removes the step discontinuity of a naive waveform.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

Signal makeSignal(double seconds) {
    return Signal(framesFor(seconds), 0.0);
}

double smoothStep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

void normalizeSignal(Signal& s) {
    double peak = 0.0;
    for (double v : s) {
        peak = std::max(peak, std::fabs(v));
    }
    if (peak > 0.0) {
        for (double& v : s) {
            v /= peak;
        }
    }
}

void mixImpl(Pcm& out, const Signal& note, long start, double gain, double pan, bool wrap) {
    const long frames = long(out.frames());
    if (frames == 0) {
        return;
    }
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    const double left = out.channels == 1 ? gain : gain * std::cos(angle) * std::sqrt(2.0);
    const double right = gain * std::sin(angle) * std::sqrt(2.0);
    for (std::size_t i = 0; i < note.size(); ++i) {
        long frame = start + long(i);
        if (wrap) {
            frame = ((frame % frames) + frames) % frames;
        } else if (frame < 0 || frame >= frames) {
            continue;
        }
        float* f = &out.samples[std::size_t(frame) * std::size_t(out.channels)];
        f[0] += float(note[i] * left);
        if (out.channels > 1) {
            f[1] += float(note[i] * right);
        }
    }
}

} // namespace

double midiHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

double dbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

std::uint64_t Noise::nextBits() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
}

Biquad Biquad::lowPass(double hz, double q) {
    const double w = kTwoPi * std::min(hz, 0.45 * kSampleRate) / kSampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    const double a0 = 1.0 + alpha;
    Biquad f;
    f.b0_ = (1.0 - c) / 2.0 / a0;
    f.b1_ = (1.0 - c) / a0;
    f.b2_ = f.b0_;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
}

Biquad Biquad::highPass(double hz, double q) {
    const double w = kTwoPi * std::min(hz, 0.45 * kSampleRate) / kSampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    const double a0 = 1.0 + alpha;
    Biquad f;
    f.b0_ = (1.0 + c) / 2.0 / a0;
    f.b1_ = -(1.0 + c) / a0;
    f.b2_ = f.b0_;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
}

Biquad Biquad::bandPass(double hz, double q) {
    const double w = kTwoPi * std::min(hz, 0.45 * kSampleRate) / kSampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    const double a0 = 1.0 + alpha;
    Biquad f;
    f.b0_ = alpha / a0;
    f.b1_ = 0.0;
    f.b2_ = -alpha / a0;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
}

void Biquad::retune(const Biquad& other) {
    b0_ = other.b0_;
    b1_ = other.b1_;
    b2_ = other.b2_;
    a1_ = other.a1_;
    a2_ = other.a2_;
}

double Biquad::process(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
}

double Oscillator::advance(double hz) {
    const double dt = hz * kDt;
    phase_ += dt;
    phase_ -= std::floor(phase_);
    return dt;
}

double Oscillator::saw(double hz) {
    const double dt = hz * kDt;
    const double value = 2.0 * phase_ - 1.0 - polyBlep(phase_, dt);
    advance(hz);
    return value;
}

double Oscillator::pulse(double hz, double width) {
    const double dt = hz * kDt;
    double value = phase_ < width ? 1.0 : -1.0;
    value += polyBlep(phase_, dt);
    double shifted = phase_ + 1.0 - width;
    shifted -= std::floor(shifted);
    value -= polyBlep(shifted, dt);
    advance(hz);
    return value;
}

double Oscillator::sine(double hz) {
    const double value = std::sin(kTwoPi * phase_);
    advance(hz);
    return value;
}

double adsr(double t, double attack, double decay, double sustain, double gate, double release) {
    auto held = [&](double u) {
        if (u < attack) {
            return u / attack;
        }
        const double d = (u - attack) / decay;
        return sustain + (1.0 - sustain) * std::exp(-3.0 * d);
    };
    if (t < 0.0) {
        return 0.0;
    }
    if (t < gate) {
        return held(t);
    }
    const double r = (t - gate) / release;
    return r >= 1.0 ? 0.0 : held(gate) * (1.0 - r) * (1.0 - r);
}

void mixLooped(Pcm& out, const Signal& note, long start, double gain, double pan) {
    mixImpl(out, note, start, gain, pan, true);
}

void mixAt(Pcm& out, const Signal& note, long start, double gain, double pan) {
    mixImpl(out, note, start, gain, pan, false);
}

double peakOf(const Pcm& pcm) {
    double peak = 0.0;
    for (float v : pcm.samples) {
        peak = std::max(peak, double(std::fabs(v)));
    }
    return peak;
}

void normalizeTo(Pcm& pcm, double peakDb) {
    const double peak = peakOf(pcm);
    if (peak <= 0.0) {
        return;
    }
    const double scale = dbToGain(peakDb) / peak;
    for (float& v : pcm.samples) {
        v = float(v * scale);
    }
}

void fadeEdges(Pcm& pcm, double inSeconds, double outSeconds) {
    const std::size_t frames = pcm.frames();
    const std::size_t fadeIn = std::min(frames, framesFor(inSeconds));
    const std::size_t fadeOut = std::min(frames, framesFor(outSeconds));
    for (std::size_t i = 0; i < frames; ++i) {
        double g = 1.0;
        if (i < fadeIn) {
            g *= 0.5 - 0.5 * std::cos(kPi * double(i) / double(fadeIn));
        }
        const std::size_t fromEnd = frames - 1 - i;
        if (fromEnd < fadeOut) {
            g *= 0.5 - 0.5 * std::cos(kPi * double(fromEnd) / double(fadeOut));
        }
        for (int c = 0; c < pcm.channels; ++c) {
            float& v = pcm.samples[i * std::size_t(pcm.channels) + std::size_t(c)];
            v = float(v * g);
        }
    }
}

Signal softPad(double hz, double gate, std::uint64_t seed) {
    const double release = 1.6;
    Signal s = makeSignal(gate + release);
    Noise noise(seed);
    Oscillator a(noise.uniform(0, 1)), b(noise.uniform(0, 1)), c(noise.uniform(0, 1));
    Oscillator warm;
    Biquad lp = Biquad::lowPass(std::min(hz * 3.0, 1800.0), 0.6);
    const double detune = std::pow(2.0, 7.0 / 1200.0);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        // A slow swell of brightness keeps held chords alive.
        const double shimmer = 1.0 + 0.003 * std::sin(kTwoPi * 0.3 * t);
        double v = a.saw(hz * shimmer) + b.saw(hz * detune) + c.saw(hz / detune);
        v = lp.process(v / 3.0) + 0.5 * warm.sine(hz);
        s[i] = v * adsr(t, 0.9, 0.8, 0.8, gate, release);
    }
    normalizeSignal(s);
    return s;
}

Signal electricPiano(double hz, double gate) {
    const double release = 0.5;
    Signal s = makeSignal(gate + release);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        const double index = 1.1 * std::exp(-t * 3.5) + 0.12;
        const double modulator = std::sin(kTwoPi * hz * t);
        double v = std::sin(kTwoPi * hz * t + index * modulator);
        v += 0.12 * std::sin(kTwoPi * hz * 4.0 * t) * std::exp(-t * 9.0); // tine
        const double body = std::exp(-t * 0.9) * std::min(1.0, t / 0.004);
        const double off = t < gate ? 1.0 : std::max(0.0, 1.0 - (t - gate) / release);
        s[i] = v * body * off * off;
    }
    normalizeSignal(s);
    return s;
}

Signal roundBass(double hz, double gate) {
    const double release = 0.3;
    Signal s = makeSignal(gate + release);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        const double p = kTwoPi * hz * t;
        const double v = std::sin(p) + 0.25 * std::sin(2.0 * p) + 0.08 * std::sin(3.0 * p);
        s[i] = v * adsr(t, 0.02, 0.5, 0.65, gate, release);
    }
    normalizeSignal(s);
    return s;
}

Signal pluckedString(double hz, double seconds, std::uint64_t seed) {
    Signal s = makeSignal(seconds);
    // Karplus-Strong. The two-point average delays by half a sample and a
    // first-order allpass supplies the fraction the integer line cannot, so
    // high notes stay in tune with the pad.
    const double loopDelay = kSampleRate / hz - 0.5;
    const std::size_t period = std::max<std::size_t>(2, std::size_t(loopDelay - 0.1));
    const double fraction = loopDelay - double(period);
    const double c = (1.0 - fraction) / (1.0 + fraction);
    std::vector<double> line(period);
    Noise noise(seed);
    Biquad soften = Biquad::lowPass(hz * 6.0, 0.7);
    for (double& v : line) {
        v = soften.process(noise.white());
    }
    std::size_t pos = 0;
    double previous = 0.0, allpassIn = 0.0, allpassOut = 0.0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double out = line[pos];
        const double averaged = 0.997 * 0.5 * (out + previous);
        allpassOut = c * averaged + allpassIn - c * allpassOut;
        allpassIn = averaged;
        line[pos] = allpassOut;
        previous = out;
        pos = (pos + 1) % period;
        s[i] = out;
    }
    normalizeSignal(s);
    const std::size_t tail = std::min(s.size(), framesFor(0.05));
    for (std::size_t k = 0; k < tail; ++k) {
        s[s.size() - 1 - k] *= double(k) / double(tail);
    }
    return s;
}

Signal discoBass(double hz, double gate) {
    const double release = 0.05;
    Signal s = makeSignal(gate + release);
    Oscillator saw, sub;
    Biquad lp = Biquad::lowPass(2000.0, 1.4);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        if (i % 16 == 0) {
            lp.retune(Biquad::lowPass(350.0 + 2200.0 * std::exp(-t * 18.0), 1.4));
        }
        const double v = lp.process(saw.saw(hz)) + 0.6 * sub.sine(hz);
        s[i] = v * adsr(t, 0.004, 0.12, 0.55, gate, release);
    }
    normalizeSignal(s);
    return s;
}

Signal chordStab(const std::vector<double>& hz, double gate) {
    const double release = 0.08;
    Signal s = makeSignal(gate + release);
    std::vector<Oscillator> oscillators(hz.size() * 2);
    for (std::size_t k = 0; k < oscillators.size(); ++k) {
        oscillators[k] = Oscillator(0.17 * double(k));
    }
    Biquad lp = Biquad::lowPass(2600.0, 0.9);
    Biquad hp = Biquad::highPass(220.0, 0.7);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        double v = 0.0;
        for (std::size_t n = 0; n < hz.size(); ++n) {
            v += oscillators[2 * n].saw(hz[n] * 1.003) + oscillators[2 * n + 1].saw(hz[n] / 1.003);
        }
        s[i] = hp.process(lp.process(v)) * adsr(t, 0.003, 0.09, 0.35, gate, release);
    }
    normalizeSignal(s);
    return s;
}

Signal leadSynth(double hz, double gate) {
    const double release = 0.15;
    Signal s = makeSignal(gate + release);
    Oscillator square, saw;
    Biquad lp = Biquad::lowPass(3800.0, 0.8);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        const double vibrato = 1.0 + 0.004 * smoothStep(0.12, 0.3, t) * std::sin(kTwoPi * 5.5 * t);
        const double f = hz * vibrato;
        const double v = lp.process(0.7 * square.pulse(f, 0.32) + 0.5 * saw.saw(f * 1.004));
        s[i] = v * adsr(t, 0.008, 0.15, 0.75, gate, release);
    }
    normalizeSignal(s);
    return s;
}

Signal kickDrum() {
    Signal s = makeSignal(0.42);
    double phase = 0.0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        const double hz = 48.0 + 120.0 * std::exp(-t * 28.0);
        const double body = std::sin(kTwoPi * phase) * std::exp(-t * 7.0);
        const double click = std::sin(kTwoPi * 1800.0 * t) * std::exp(-t * 400.0) * 0.15;
        phase += hz * kDt;
        const double tail = std::min(1.0, (s.size() - i) / double(framesFor(0.03)));
        s[i] = (body + click) * tail;
    }
    normalizeSignal(s);
    return s;
}

Signal clap(std::uint64_t seed) {
    Signal s = makeSignal(0.3);
    Noise noise(seed);
    Biquad band = Biquad::bandPass(1300.0, 0.9);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        // Three hands arriving a few milliseconds apart, then the room.
        double env = std::exp(-t * 16.0);
        for (double onset : {0.0, 0.011, 0.022}) {
            if (t >= onset) {
                env += 1.2 * std::exp(-(t - onset) * 220.0);
            }
        }
        const double tone = 0.25 * std::sin(kTwoPi * 190.0 * t) * std::exp(-t * 30.0);
        s[i] = band.process(noise.white()) * env * std::min(1.0, t / 0.0008) + tone;
    }
    normalizeSignal(s);
    return s;
}

Signal hiHat(bool open, std::uint64_t seed) {
    Signal s = makeSignal(open ? 0.32 : 0.07);
    Noise noise(seed);
    Biquad hp1 = Biquad::highPass(7000.0, 0.7);
    Biquad hp2 = Biquad::highPass(7000.0, 0.7);
    const double decay = open ? 11.0 : 70.0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        const double tail = std::min(1.0, (s.size() - i) / double(framesFor(0.01)));
        s[i] = hp2.process(hp1.process(noise.white())) * std::exp(-t * decay) * tail;
    }
    normalizeSignal(s);
    return s;
}

Signal cricketChirp(double hz, int pulses) {
    const double pulse = 0.016;
    const double gap = 0.034;
    Signal s = makeSignal(pulses * (pulse + gap));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) * kDt;
        const double inPulse = std::fmod(t, pulse + gap);
        if (inPulse < pulse) {
            const double w = std::sin(kPi * inPulse / pulse);
            s[i] = std::sin(kTwoPi * hz * t) * w * w;
        }
    }
    return s;
}

} // namespace assetgen::synth
