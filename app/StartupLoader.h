#pragma once

#include <thread>

namespace pizzeria::app {

// Reads the files start-up needs on two worker threads while the main thread
// opens the window: one decodes the terrain's images and imports the models
// with their textures, in the order start-up asks for them; the other
// rasterises the HUD font, then decodes the music into the audio device
// opened just before.
// The loaders on the main thread take the results where they would have read
// the files (assets/Preload.h, TextRenderer, startSound), so every message
// and failure comes where and as it always did. No GL call is made off the
// main thread.
class StartupLoader {
public:
    // Promises every file, then starts both workers; the font is rasterised
    // for a window `windowHeight` pixels high.
    explicit StartupLoader(int windowHeight);
    // Waits for the workers.
    ~StartupLoader();

    StartupLoader(const StartupLoader&) = delete;
    StartupLoader& operator=(const StartupLoader&) = delete;

    // Start-up is over: waits for the workers and forgets what nobody took.
    void finish();

    // Whether the game starts the workers. The tests' reference build of the
    // game turns them off, so every file is read on the main thread as it
    // always was, to compare the two.
    static inline bool enabled = true;

private:
    std::thread files;
    std::thread sound;
};

} // namespace pizzeria::app
