#include "tests/sound/SoundFixtures.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

namespace soundtest {

namespace {

void put16(std::ofstream& out, int value) {
    const auto v = std::uint16_t(std::int16_t(value));
    out.put(char(v & 0xff)).put(char(v >> 8));
}

void put32(std::ofstream& out, std::uint32_t v) {
    out.put(char(v & 0xff)).put(char((v >> 8) & 0xff));
    out.put(char((v >> 16) & 0xff)).put(char(v >> 24));
}

} // namespace

void writeTaggedWav(const std::filesystem::path& file, int tag, int frames) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    const std::uint32_t dataBytes = std::uint32_t(frames) * 4;
    out.write("RIFF", 4);
    put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 2);
    put32(out, 44100);
    put32(out, 44100 * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, dataBytes);
    for (int frame = 0; frame < frames; ++frame) {
        put16(out, frame);
        put16(out, tag);
    }
}

std::vector<int> tagsOf(const std::vector<Segment>& segments) {
    std::vector<int> tags;
    tags.reserve(segments.size());
    for (const Segment& segment : segments) {
        tags.push_back(segment.tag);
    }
    return tags;
}

OutputTap::OutputTap() {
    Mix_SetPostMix(&OutputTap::listen, this);
}

OutputTap::~OutputTap() {
    // Mix_SetPostMix swaps under the mixer's lock, so no call is left running.
    Mix_SetPostMix(nullptr, nullptr);
}

void OutputTap::listen(void* self, std::uint8_t* stream, int len) {
    auto* tap = static_cast<OutputTap*>(self);
    const auto* samples = reinterpret_cast<const std::int16_t*>(stream);
    const int frames = len / 4;
    std::lock_guard<std::mutex> lock(tap->mutex);
    for (int i = 0; i < frames; ++i) {
        const int position = samples[2 * i];
        const int tag = samples[2 * i + 1];
        const bool silent = position == 0 && tag == 0;
        Segment* current = tap->recorded.empty() ? nullptr : &tap->recorded.back();
        const bool follows = current && current->tag == (silent ? 0 : tag) &&
                             (silent || position == (current->last + 1) % kFixtureFrames);
        if (follows) {
            current->last = position;
            ++current->frames;
        } else {
            tap->recorded.push_back({silent ? 0 : tag, position, position, 1});
        }
    }
    tap->seen += frames;
}

std::vector<Segment> OutputTap::heard() const {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Segment> result;
    std::copy_if(recorded.begin(), recorded.end(), std::back_inserter(result),
                 [](const Segment& segment) { return segment.tag != 0; });
    return result;
}

std::int64_t OutputTap::framesSeen() const {
    std::lock_guard<std::mutex> lock(mutex);
    return seen;
}

bool waitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= end) {
            return ready();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool letPlay(const OutputTap& tap, std::int64_t frames) {
    const std::int64_t target = tap.framesSeen() + frames;
    return waitFor([&] { return tap.framesSeen() >= target; });
}

} // namespace soundtest
