// A game on the real game from its start to game over: the bat knocks out a
// wrong ingredient, which costs money, and the money runs out; each state is
// drawn. Enemies after the clock runs out are Rules' business.
#include "app/Game.h"
#include "app/GameSettings.h"
#include "tests/support/WholeGame.h"

#include <gtest/gtest.h>

#include <algorithm>

using pizzeria::app::gameSettings;
using pizzeria::app::GameSettings;

namespace {

constexpr float frame = 1.0f / 60.0f;

class GameFlow : public testsupport::WholeGame {
protected:
    void SetUp() override {
        ASSERT_NE(game, nullptr);
        gameSettings = GameSettings{};
    }

    // Software rendering is slow, so only the frames worth a look are drawn.
    static void play(int frames) {
        for (int i = 0; i < frames; ++i) {
            game->update(frame);
        }
    }

    // The frame at a moment worth drawing: it draws without a GL error.
    static void draw() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->render();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
};

} // namespace

TEST_F(GameFlow, AWrongIngredientOnTheBatCostsMoneyAndTheGameRunsToItsEnd) {
    play(120); // the first order comes into play and the cook lands
    draw();

    const std::vector<int>& order = game->ingredients->order;
    int wrongKind = 1;
    while (std::find(order.begin(), order.end(), wrongKind) != order.end()) {
        ++wrongKind;
    }
    ASSERT_LE(wrongKind, 8);
    auto* wrong = game->ingredients->spawn(wrongKind);
    ASSERT_NE(wrong, nullptr);
    play(2);
    const int moneyBefore = game->money;
    // One press swings the bat; the ingredient is held on it until it is hit.
    auto* bat = game->mainCharacter->getChildren().front()->getChildren().front();
    game->mainCharacter->keys[0] = true;
    for (int i = 0; i < 60 && wrong->lives > 0; ++i) {
        const auto boxes = bat->boundingBoxes();
        ASSERT_FALSE(boxes.empty());
        wrong->modelMatrix[3] = glm::vec4((boxes.front().min + boxes.front().max) * 0.5f, 1.0f);
        game->update(frame);
        game->mainCharacter->keys[0] = false;
    }
    EXPECT_LE(wrong->lives, 0) << "the swung bat never hit the ingredient on it";
    play(150); // it shrinks away and is counted
    EXPECT_LT(game->money, moneyBefore);
    draw();

    game->money = 0;
    play(10);
    EXPECT_TRUE(gameSettings.gameOver);
    draw();
}
