// The rules of play, driven frame by frame on the real game: the order clock,
// payments and penalties, enemy waves, pause and game over.
#include "app/Game.h"
#include "app/GameSettings.h"
#include "sound/SoundManager.h"
#include "tests/support/WholeGame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using pizzeria::app::gameSettings;

namespace {

class Rules : public testsupport::WholeGame {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(WholeGame::SetUp());
        game->collisions = std::make_unique<pizzeria::app::CollisionChecker>();
    }

    // Leaves no ingredient or enemy whose wandering would draw random numbers.
    void emptyWorld() {
        game->ingredients->pending.clear();
        game->ingredients->live.clear();
    }

    static bool musicPaused(const char* key) { return pizzeria::sound::findSound(key)->isPaused(); }
};

} // namespace

// The world advances in fixed steps (FrameClock's tests); the frame-rate line
// shows the real rate, once a second.
TEST_F(Rules, TheHudShowsTheRealFrameRate) {
    game->frameClock.pending = 0.0;
    game->advance(0.0625f); // 16 frames a second
    EXPECT_EQ(game->shownSeconds, 29);
    EXPECT_EQ(game->hud->fpsText.rfind("16fps", 0), 0u) << game->hud->fpsText;
    game->advance(0.125f);
    EXPECT_EQ(game->hud->fpsText.rfind("16fps", 0), 0u) << "reported once a second only";
    // A stall (the first frame after a pause) is no rate to show.
    game->timeLeft = 29.01f;
    game->advance(2.0f);
    ASSERT_EQ(game->shownSeconds, 28);
    EXPECT_EQ(game->hud->fpsText.rfind("16fps", 0), 0u) << game->hud->fpsText;
}

TEST_F(Rules, WhenTheClockRunsOutMoneyDrainsAndEnemiesComeEveryFiveSeconds) {
    game->timeLeft = 1.0f;
    game->shownSeconds = 1;
    game->update(0.5f);
    EXPECT_EQ(game->shownSeconds, 0);
    EXPECT_EQ(game->money, 49);
    EXPECT_FLOAT_EQ(game->enemySpawnTimer, 4.5f);
    EXPECT_TRUE(game->enemies->live.empty());

    float waited = 0.0f;
    while (game->enemies->live.empty() && waited < 10.0f) {
        game->update(0.25f);
        waited += 0.25f;
    }
    EXPECT_NEAR(waited, 4.75f, 0.01f) << "the first enemy comes 5 s after the clock ran out";
    ASSERT_EQ(game->enemies->live.size(), 1u);
    for (int i = 0; i < 20; ++i) {
        game->update(0.25f);
    }
    EXPECT_EQ(game->enemies->live.size(), 1u) << "the timer must fall below 0";
    game->update(0.25f);
    EXPECT_EQ(game->enemies->live.size(), 2u);
    // One coin when the clock showed 0, then one for every second below.
    EXPECT_EQ(game->money, 49 + game->shownSeconds);
}

// A completed pizza pays and puts time on the clock, from above or below
// zero; a wrong ingredient costs a quarter from fifty up and 10 to 29 below.
TEST_F(Rules, PizzasPayAndWrongIngredientsCost) {
    const struct {
        int money, rightHits, wrongHits;
        float clock, clockAfter;
        int lowest, highest; // money after
    } cases[] = {
        {50, 1, 0, -12.0f, 20.0f, 50 + 20, 50 + 34},
        {50, 1, 0, 7.5f, 27.5f, 50 + 20, 50 + 34},
        {50, 0, 1, 7.5f, 7.5f, 37, 37}, // 50 - 12.5, cut
        {49, 0, 1, 7.5f, 7.5f, 49 - 29, 49 - 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "$" << c.money << ", clock " << c.clock);
        testsupport::startNewRound(*game);
        emptyWorld();
        game->money = c.money;
        game->timeLeft = c.clock;
        game->shownSeconds = int(std::floor(c.clock));
        game->ingredients->rightHits = c.rightHits;
        game->ingredients->wrongHits = c.wrongHits;
        game->ingredients->pizzasCompleted = c.rightHits;
        game->enemies->spawn();
        game->update(0.0f);
        EXPECT_FLOAT_EQ(game->timeLeft, c.clockAfter);
        EXPECT_GE(game->money, c.lowest);
        EXPECT_LE(game->money, c.highest);
        EXPECT_EQ(game->enemies->live.front()->lives, c.rightHits > 0 ? 0 : 1)
            << "a pizza strikes every enemy down";
    }
}

// No money ends the game with the cook's death and silence: below fifty a
// penalty is 10 to 29.
TEST_F(Rules, APenaltyThatTakesEverythingEndsTheGameAtOnce) {
    game->money = 10;
    game->ingredients->wrongHits = 1;
    game->update(0.0f);
    EXPECT_EQ(game->money, 0);
    EXPECT_TRUE(gameSettings.gameOver);
    EXPECT_FALSE(gameSettings.gameRunning);
    EXPECT_FALSE(game->hud->playing);
    EXPECT_EQ(game->mainCharacter->lives, 0);
    EXPECT_TRUE(game->mainCharacter->hurt);
    EXPECT_TRUE(musicPaused("background"));
    EXPECT_TRUE(musicPaused("disco"));
}

TEST_F(Rules, RightAndWrongInOneUpdateArePaidOneFrameApart) {
    emptyWorld();
    game->ingredients->rightHits = 1;
    game->ingredients->wrongHits = 1;
    game->ingredients->pizzasCompleted = 0;
    game->update(0.0f);
    EXPECT_EQ(game->ingredients->rightHits, 0);
    EXPECT_EQ(game->ingredients->wrongHits, 1);
    EXPECT_EQ(game->money, 50);
    game->update(0.0f);
    EXPECT_EQ(game->ingredients->wrongHits, 0);
    EXPECT_EQ(game->money, 37);
}

TEST_F(Rules, PauseFreezesTheClockAndTheMoney) {
    game->timeLeft = 0.5f;
    game->shownSeconds = 0;
    gameSettings.gameRunning = false;
    for (int i = 0; i < 120; ++i) {
        game->update(1.0f / 60.0f);
    }
    EXPECT_FLOAT_EQ(game->timeLeft, 0.5f);
    EXPECT_EQ(game->money, 50);
    EXPECT_EQ(game->collisions->frameCounter, 0) << "no collision checks while paused";
}

// Two gangsters touching the cook in one check used to take a life each: with
// one life left the lives went to -1 and the game never ended.
TEST_F(Rules, TwoGangstersAtOnceTakeTheLastLifeAndTheGameEnds) {
    emptyWorld();
    auto& cook = *game->mainCharacter;
    cook.lives = 1;
    game->enemies->spawn();
    game->enemies->spawn();
    game->update(1.0f / 60.0f); // into play
    ASSERT_EQ(game->enemies->live.size(), 2u);
    for (int step = 0; step < 30 && !gameSettings.gameOver; ++step) {
        for (auto& gangster : game->enemies->live) {
            gangster->modelMatrix[3] = cook.modelMatrix[3];
            gangster->contactCount = 1; // seen touching at the check before
        }
        game->update(1.0f / 60.0f);
    }
    EXPECT_EQ(cook.lives, 0);
    EXPECT_TRUE(gameSettings.gameOver);
    EXPECT_FALSE(game->hud->playing);

    // Lives below zero, however they came about, end a game as well.
    testsupport::startNewRound(*game);
    cook.lives = -1;
    game->update(0.0f);
    EXPECT_TRUE(gameSettings.gameOver);
    EXPECT_EQ(cook.lives, -1) << "no further hit";
}
