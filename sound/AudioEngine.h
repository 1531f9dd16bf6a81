#pragma once

#include <cstdint>
#include <string>

namespace pizzeria::sound {

// A sound its starter keeps in order to pause and resume it. The engine owns
// it; it stays valid until the engine is destroyed.
class PlayingSound {
public:
    virtual ~PlayingSound() = default;

    // Pausing keeps the position, so resuming continues where it stopped.
    virtual void setPaused(bool paused) = 0;
    virtual bool isPaused() const = 0;

    // Output frames played so far, counting every loop; stands still while
    // paused. Lets callers see that a resumed track really continued.
    virtual std::uint64_t framesPlayed() const = 0;
};

// What the game needs from a sound engine: 2D playback of sound files, looped
// or once, with a master volume.
class AudioEngine {
public:
    virtual ~AudioEngine() = default;

    // 0 is silent, 1 is full volume; applies to every sound, playing or not.
    virtual void setMasterVolume(float volume) = 0;

    // Starts the file at `path`. With `track` the result is a handle to the
    // sound, or null when the file cannot be played; without it the sound is
    // left to the engine and the result is always null.
    virtual PlayingSound* play2D(const std::string& path, bool looped, bool startPaused,
                                 bool track) = 0;
};

} // namespace pizzeria::sound
