#pragma once

// The real game in a test process: started once in the run folder (it owns
// the window and the process-wide settings), and put back to a fresh round
// between tests.
#include "app/Game.h"
#include "app/GameSettings.h"
#include "sound/SoundManager.h"
#include "tests/support/BuildPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace testsupport {

// Started in the run folder, since the game reads its data relative to it;
// the working folder is restored by the caller.
inline std::unique_ptr<pizzeria::app::Game> startGameInRunFolder() {
    std::filesystem::current_path(testsupport::runDir());
    char name[] = "pizzeria";
    char* argv[] = {name, nullptr};
    return std::make_unique<pizzeria::app::Game>(1, argv);
}

// A new round as Enter after game over starts it, with the sound's switches
// (mute, party) back at their start values as well.
inline void startNewRound(pizzeria::app::Game& game) {
    pizzeria::sound::releaseSound();
    pizzeria::sound::startSound();
    game.startNewRound();
}

// One game for a whole suite; each test starts from the start settings and a
// fresh round.
class WholeGame : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(game, nullptr);
        pizzeria::app::gameSettings = pizzeria::app::GameSettings{};
        startNewRound(*game);
    }

    static void SetUpTestSuite() {
        previous = std::filesystem::current_path();
        game = startGameInRunFolder().release();
    }
    static void TearDownTestSuite() {
        delete game;
        game = nullptr;
        std::filesystem::current_path(previous);
    }

    static inline pizzeria::app::Game* game = nullptr;
    static inline std::filesystem::path previous;
};

} // namespace testsupport
