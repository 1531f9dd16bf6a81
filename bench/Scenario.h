#pragma once

#include "app/Game.h"

#include <array>
#include <cstdint>
#include <string>

namespace pizzeria::bench {

// The fixed frame time of the scripted scenario: the same frames every run.
constexpr float frameDt = 1.0f / 60.0f;
constexpr std::size_t ingredientCap = 21; // live ingredients the clock tops up to
constexpr std::size_t enemyCap = 11;

// Makes `dir` the working directory, so the game finds its data.
void enterRunFolder(const std::string& dir);

// Builds the one game, as main does, in app::game.
app::Game& startGame();

// Seed 1, fresh populations grown to their caps and rules that keep the game
// running however the scenario goes.
void populate(app::Game& game);

// Lives, money and the clock topped up so no frame ends the game.
void keepPlaying(app::Game& game);

// Tops the populations up to their caps after knocks and deaths.
void refill(app::Game& game);

// Frame `frame` of the input timeline: the cook walks a loop turned by the
// mouse and clicks the bat every 45 frames.
void scriptedInput(app::Game& game, int frame);

struct Configuration {
    const char* name;
    bool shadows;
    bool ssao;
    bool celShading;
    bool miniMap;
    bool wireframe;
};

inline constexpr std::array<Configuration, 7> configurations{{
    {"default", true, false, false, false, false},
    {"shadows-off", false, false, false, false, false},
    {"ssao", true, true, false, false, false},
    {"cel-shading", true, false, true, false, false},
    {"mini-map", true, false, false, true, false},
    {"all", true, true, true, true, false},
    {"wireframe", true, false, false, false, true},
}};

// Switches the settings as the keys would, with the uploads they trigger.
void apply(const Configuration& configuration);

// CLOCK_MONOTONIC and this thread's CPU clock, in nanoseconds.
std::int64_t wallNanos();
std::int64_t cpuNanos();

// Peak resident set of this process in bytes.
std::int64_t peakResidentBytes();

} // namespace pizzeria::bench
