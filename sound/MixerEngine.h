#pragma once

#include "sound/AudioEngine.h"

#include <cstddef>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct Mix_Chunk;

namespace pizzeria::sound {

class MixerVoice;

// The engine over SDL2_mixer. Each file is decoded once into a chunk and
// kept, so an effect started by name again does not decode again. A tracked
// sound started paused is decoded on a worker thread, so long music does not
// hold up start-up until it is first resumed. Every sound plays on a mixer
// channel of its own; a tracked sound keeps its channel for good, so any
// number of tracks pause and resume independently while effects overlap on
// the others.
class MixerEngine final : public AudioEngine {
public:
    // Opens the default audio device. Where none opens and SDL_AUDIODRIVER
    // is unset or empty, plays silently on SDL's dummy driver after one
    // warning on standard error. Null when even that fails, when the driver
    // named in SDL_AUDIODRIVER fails (the user's choice is kept; a line on
    // standard error names it and SDL's reason), or while another
    // MixerEngine is open (SDL_mixer's state is process-wide).
    static std::unique_ptr<MixerEngine> create();
    // The same without a word: the line it has to say, if any (the warning,
    // or why the named driver failed), is left in `warning` for the caller
    // to print when its turn comes. Safe on a worker thread once
    // settleDriverChoice has run.
    static std::unique_ptr<MixerEngine> open(std::string& warning);
    // Drops an empty SDL_AUDIODRIVER from the environment, as opening does;
    // on the main thread, before any other thread opens an engine, since
    // changing the environment races with every reader of it.
    static void settleDriverChoice();
    ~MixerEngine() override;
    MixerEngine(const MixerEngine&) = delete;
    MixerEngine& operator=(const MixerEngine&) = delete;

    void setMasterVolume(float volume) override;
    PlayingSound* play2D(const std::string& path, bool looped, bool startPaused,
                         bool track) override;

    // Decodes `path` now, on the calling thread, and keeps it for play2D; a
    // file that cannot be played is not kept and reports nothing.
    void preload(const std::string& path);

    // Untracked sounds still sounding.
    int soundingEffects() const;
    // Files decoded and kept.
    std::size_t cachedFiles() const { return chunks.size(); }

private:
    MixerEngine() = default;
    using Decoding = std::shared_future<Mix_Chunk*>;

    // Null when the file cannot be played.
    const Decoding* chunkFor(const std::string& path, bool inBackground);
    int freeChannel();

    std::map<std::string, Decoding> chunks;
    std::vector<std::unique_ptr<MixerVoice>> voices;
    std::vector<bool> trackedChannels;
    int frameBytes = 4;
};

} // namespace pizzeria::sound
