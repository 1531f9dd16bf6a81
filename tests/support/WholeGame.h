#pragma once

// The real game in a test process: started once in the run folder (it owns
// the window and the process-wide settings), and put back to a fresh round
// between tests.
#include "app/Game.h"
#include "app/GameSettings.h"
#include "sound/SoundManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace testsupport {

// Started in the run folder, since the game reads its data relative to it;
// the working folder is restored by the caller.
inline std::unique_ptr<pizzeria::app::Game> startGameInRunFolder() {
    std::filesystem::current_path(PIZZERIA_RUN_DIR);
    char name[] = "pizzeria";
    char* argv[] = {name, nullptr};
    return std::make_unique<pizzeria::app::Game>(1, argv);
}

// The clock, money, music, populations and cook as a fresh start has them,
// in the same window.
inline void startNewRound(pizzeria::app::Game& game) {
    pizzeria::app::gameSettings.gameOver = false;
    pizzeria::app::gameSettings.gameRunning = true;
    pizzeria::sound::releaseSound();
    pizzeria::sound::startSound();
    game.timeLeft = 30.0f;
    game.shownSeconds = 30;
    game.money = 50;
    game.enemySpawnTimer = 5.0f;
    game.hud->playing = true;
    game.ingredients = std::make_unique<pizzeria::app::IngredientManager>(game.terrain.get());
    game.enemies = std::make_unique<pizzeria::app::EnemyManager>(game.terrain.get());
    game.mainCharacter->lives = 3;
    game.mainCharacter->hurt = false;
    game.mainCharacter->active = true;
}

// One game for a whole suite.
class WholeGame : public testing::Test {
protected:
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
