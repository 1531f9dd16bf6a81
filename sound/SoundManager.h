#pragma once

#include "sound/AudioEngine.h"

#include <cstdint>
#include <future>
#include <memory>
#include <string>

// The game's music and sound effects, one set for the whole process. Two
// looped tracks, the background music and the party track, play from start-up
// on; at most one is heard, and they are switched by pausing and resuming, so
// each keeps its position. Effects are started by file name and left to the
// engine. Every call comes from the main thread.
namespace pizzeria::sound {

extern bool soundMuted;         // key M: music paused, new effects dropped
extern bool partyMode;          // key P: the party track is the current music
extern std::int32_t hitCounter; // number of the hit sound played last; 1 at start

class MixerEngine;

// An engine opened ahead of start-up's turn with every sound file decoded,
// and the warning its opening left to print.
struct PreparedSound {
    PreparedSound();
    PreparedSound(PreparedSound&&) noexcept;
    PreparedSound& operator=(PreparedSound&&) noexcept;
    ~PreparedSound();
    std::unique_ptr<MixerEngine> engine;
    std::string warning;
};

// Opens the audio device, without a word: what it has to say is left in the
// result's warning. On the main thread while no other thread runs: SDL may
// start a helper process there, and a child forked beside busy threads can
// find a lock held for ever.
PreparedSound openSound();

// Decodes both music tracks into `opened`'s engine; safe on a worker thread,
// reports nothing of its own.
void decodeMusic(PreparedSound& opened);

// Hands startSound the engine a worker is preparing; it waits for it there.
void promiseSound(std::future<PreparedSound> prepared);

// Creates the audio engine (or takes the promised one) and starts the music:
// the background track plays, the party track waits paused at its start.
// Ends the program when there is no audio device, or when a music file
// cannot be started.
void startSound();
// The same over a given engine; null is an engine that could not be created.
void startSound(std::unique_ptr<AudioEngine> engine);

// Starts "Sounds/" + file looped and paused and keeps it under `key`; a key
// already present keeps its first sound. Ends the program, naming the file,
// when it cannot be started.
void registerSound(const std::string& key, const std::string& file);
// The music kept under `key`; ends the program when there is none.
PlayingSound* findSound(const std::string& key);

// Key M: flips soundMuted and returns it. Unmuting resumes the current music
// where it stopped, unless the game is over.
bool toggleSound();
// Key P: flips partyMode and returns it. The other track becomes current and
// resumes where it stopped, unless muted or the game is over.
bool togglePartyMode();

// Plays "Sounds/" + file once, unless muted; a file that cannot be played is
// skipped without a word.
void playSound(const std::string& file);
// Pauses both music tracks (game over).
void stopMusic();

// Resumes the current music where it stopped, unless muted or the game is
// over (a new round).
void resumeMusic();
// Plays the next of "hit1.mp3" to "hit5.mp3" in rotation.
void playHitSound();

// Stops every sound, releases the engine and puts the switches back to their
// start values. Until the next start, toggles only flip their switches and
// effects are dropped.
void releaseSound();

// The engine while started, else null.
AudioEngine* soundEngine();

} // namespace pizzeria::sound
