#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace soundtest {

// Every fixture lasts this many frames at 44.1 kHz (half a second), short
// enough that tests see tracks loop, and below 32768 so a frame number fits
// one sample.
constexpr int kFixtureFrames = 22050;

// Writes a 16-bit stereo WAV at the mixer's own rate, so it reaches the
// output unchanged: the left sample is the frame number, the right one
// `tag`. Whatever is heard then tells which file played and where.
// The game's names end in ".mp3"; SDL_mixer goes by the content.
void writeTaggedWav(const std::filesystem::path& file, int tag, int frames = kFixtureFrames);

// A stretch of output that is one file playing on without a jump; tag 0 is
// silence.
struct Segment {
    int tag = 0;
    int first = 0; // frame number heard first
    int last = 0;  // frame number heard last
    std::int64_t frames = 0;
};

// The tags of `segments`, in order.
std::vector<int> tagsOf(const std::vector<Segment>& segments);

// Listens to the mixer's final output (it must be open) and cuts it into
// segments: a new one starts wherever the tag changes or the frame number
// does not follow on (with wrap-around at kFixtureFrames).
class OutputTap {
public:
    OutputTap();
    ~OutputTap();
    OutputTap(const OutputTap&) = delete;
    OutputTap& operator=(const OutputTap&) = delete;

    // The segments that are not silence.
    std::vector<Segment> heard() const;
    // Frames of output seen so far.
    std::int64_t framesSeen() const;

private:
    static void listen(void* self, std::uint8_t* stream, int len);

    mutable std::mutex mutex;
    std::vector<Segment> recorded;
    std::int64_t seen = 0;
};

// Polls `ready` until it holds or `limit` passes; returns its last answer.
bool waitFor(const std::function<bool()>& ready,
             std::chrono::milliseconds limit = std::chrono::seconds(3));

// Lets the (real-time) mixer produce at least `frames` more frames.
bool letPlay(const OutputTap& tap, std::int64_t frames);

} // namespace soundtest
