// A game played through scripted input on the real game: the bat knocks an
// ordered ingredient and a wrong one, an enemy catches the cook, and the game
// ends. Each state is rendered and saved under <build>/test-shots for a look.
#include "app/CollisionList.h"
#include "app/Game.h"
#include "app/GameSettings.h"
#include "scene/rightArm/RightArm.h"
#include "sound/SoundManager.h"
#include "tests/support/WholeGame.h"

#include <GLFW/glfw3.h>
#include <IL/il.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

using pizzeria::app::Game;
using pizzeria::app::gameSettings;
using pizzeria::app::GameSettings;
using pizzeria::scene::MoveAbleObject;

namespace {

constexpr float frame = 1.0f / 60.0f;

class GameFlow : public testsupport::WholeGame {
protected:
    void SetUp() override {
        ASSERT_NE(game, nullptr);
        gameSettings = GameSettings{};
        game->update(frame); // the first order's ingredients come into play
    }

    // Runs frames of the rules until `done` or `limit` frames. Software
    // rendering is slow, so only the frames saved as pictures are drawn.
    template <typename Done> int play(int limit, Done done) {
        int frames = 0;
        while (frames < limit && !done()) {
            game->update(frame);
            ++frames;
        }
        return frames;
    }

    pizzeria::scene::rightArm::RightArm& batArm() {
        return *static_cast<pizzeria::scene::rightArm::RightArm*>(
            game->mainCharacter->getChildren().front());
    }

    // Holds the left button until the arm swings; returns the frames run.
    int pressForOneSwing() {
        auto& arm = batArm();
        game->mainCharacter->keys[0] = true;
        const int frames = play(10, [&] { return arm.swingForward || arm.swingBack; });
        game->mainCharacter->keys[0] = false;
        return frames;
    }

    // Where the swung bat sweeps through the space just above the ground,
    // and on which frame after the press: found by watching one swing.
    struct Sweep {
        glm::vec3 spot{0.0f};
        int frame = -1;
    };
    Sweep watchOneSwing() {
        auto* bat = batArm().getChildren().front();
        Sweep sweep;
        for (int i = pressForOneSwing(); i <= 60 && sweep.frame < 0; ++i) {
            for (const auto& box : bat->boundingBoxes()) {
                const glm::vec3 centre = (box.min + box.max) * 0.5f;
                const float ground = game->terrain->heightAt(centre.x, centre.z);
                if (box.min.y < ground + 0.2f && box.max.y > ground + 0.4f) {
                    sweep = {glm::vec3(centre.x, ground, centre.z), i};
                }
            }
            game->update(frame);
        }
        play(120, [] { return false; }); // let the swing end
        return sweep;
    }

    // Holds `object` still where the swung bat sweeps the ground.
    Sweep putBeforeTheCook(MoveAbleObject& object) {
        const Sweep sweep = watchOneSwing();
        const glm::vec3 spot = sweep.spot;
        object.modelMatrix = glm::translate(glm::mat4(1.0f), spot);
        object.walking = false; // turn on the spot instead of wandering off
        object.phaseFrames = 100000;
        object.verticalSpeed = 0.0f;
        // Forget the old place, so no obstacle response walks it back there.
        object.transformHistory.clear();
        object.blocked = object.climbing = object.pendingX = object.pendingZ = false;
        object.sidestepX = object.sidestepZ = false;
        object.groundHeight = object.previousGroundHeight = game->terrain->heightAt(spot.x, spot.z);
        return sweep;
    }

    // One swing, followed to the frame where the bat sweeps the spot.
    void swingThrough(const Sweep& sweep) {
        const int pressed = pressForOneSwing();
        play(sweep.frame - pressed, [] { return false; });
    }

    static void saveShot(const std::string& name) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->render();
        const int w = game->width, h = game->height;
        std::vector<unsigned char> pixels(std::size_t(w) * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        const auto dir = std::filesystem::path(PIZZERIA_RUN_DIR).parent_path() / "test-shots";
        std::filesystem::create_directories(dir);
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        ilTexImage(ILuint(w), ILuint(h), 1, 3, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
        ilEnable(IL_FILE_OVERWRITE);
        ilSave(IL_PNG, (dir / (name + ".png")).string().c_str());
        ilDeleteImages(1, &image);
    }
};

pizzeria::scene::ingridients::Ingridient* liveOfKind(Game& game, int kind) {
    for (auto& ingredient : game.ingredients->live) {
        if (ingredient->kind == kind && ingredient->lives > 0) {
            return ingredient.get();
        }
    }
    return nullptr;
}

} // namespace

TEST_F(GameFlow, AGameFromFirstOrderToGameOver) {
    // The ordered ingredient: crossed off, no money changes hands yet.
    // The cook drops onto the terrain at the start; swings count from there.
    auto& cook = *game->mainCharacter;
    play(600, [&] { return cook.position.y <= cook.groundHeight + cook.groundTolerance; });
    ASSERT_LE(cook.position.y, cook.groundHeight + cook.groundTolerance) << "the cook never landed";

    const auto orderBefore = game->ingredients->order;
    ASSERT_FALSE(orderBefore.empty());
    auto* wanted = liveOfKind(*game, orderBefore.front());
    ASSERT_NE(wanted, nullptr);
    const Sweep sweep = putBeforeTheCook(*wanted);
    ASSERT_GT(sweep.frame, 0) << "the swung bat never came near the ground";
    play(30, [] { return false; });
    saveShot("1-order");

    testing::internal::CaptureStdout();
    swingThrough(sweep);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_LE(wanted->lives, 0) << "the bat never hit the ingredient before the cook";
    EXPECT_NE(out.find("ingridient hit by bat"), std::string::npos);
    play(120, [] { return false; }); // the swing ends, the ingredient shrinks away
    EXPECT_EQ(game->ingredients->order.size() + 1 == orderBefore.size() ||
                  game->ingredients->pizzasCompleted > 0 || game->money > 50,
              true)
        << "the kind must be crossed off the order";
    saveShot("2-crossed-off");

    // A wrong ingredient costs money.
    int wrongKind = 1;
    while (std::find(game->ingredients->order.begin(), game->ingredients->order.end(), wrongKind) !=
           game->ingredients->order.end()) {
        ++wrongKind;
    }
    ASSERT_LE(wrongKind, 8);
    game->ingredients->spawn(wrongKind);
    play(2, [] { return false; });
    auto* wrong = liveOfKind(*game, wrongKind);
    ASSERT_NE(wrong, nullptr);
    const int moneyBefore = game->money;
    swingThrough(putBeforeTheCook(*wrong));
    play(120, [] { return false; });
    EXPECT_LT(game->money, moneyBefore);
    saveShot("3-wrong-ingredient");

    // The clock runs out and an enemy catches the cook.
    game->timeLeft = 0.5f;
    play(360, [&] { return !game->enemies->live.empty(); });
    ASSERT_FALSE(game->enemies->live.empty()) << "no enemy came after the clock ran out";
    auto& enemy = *game->enemies->live.front();
    const int lives = game->mainCharacter->lives;
    play(600, [&] {
        // Keep the enemy on the cook so the checks see them touching.
        enemy.modelMatrix[3] = game->mainCharacter->modelMatrix[3];
        return game->mainCharacter->lives < lives;
    });
    EXPECT_EQ(game->mainCharacter->lives, lives - 1);
    saveShot("4-caught");

    // Out of money: game over.
    game->money = 1;
    game->timeLeft = -10.0f;
    play(240, [] { return gameSettings.gameOver; });
    EXPECT_TRUE(gameSettings.gameOver);
    EXPECT_FALSE(game->hud->playing);
    play(10, [] { return false; });
    saveShot("5-game-over");
}
