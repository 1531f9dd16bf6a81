// A scripted player on the real game, at frame rates from 3 to 144 frames a
// second: it steers the cook to the nearest ingredient on the order with the
// mouse and the walking keys, and swings when the ingredient is in reach. The
// world must play the same at every rate: the cook on the ground, the camera
// above it with the cook in view, and every second of play the same world.
#include "app/Game.h"
#include "app/GameSettings.h"
#include "app/InputHandler.h"
#include "app/SpawnPoints.h"
#include "tests/support/Picture.h"
#include "tests/support/WholeGame.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/constants.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <ostream>
#include <vector>

using pizzeria::app::Game;
using pizzeria::app::gameSettings;
using pizzeria::scene::ingridients::Ingridient;
using pizzeria::scene::maincharacter::MainCharacter;

namespace {

constexpr float twoPi = glm::two_pi<float>();
constexpr double playSeconds = 120.0;

glm::vec2 flat(const glm::vec3& v) {
    return {v.x, v.z};
}

// The cook's walking direction on the ground.
glm::vec2 facing(const MainCharacter& cook) {
    return glm::normalize(flat(glm::vec3(cook.modelMatrix * glm::vec4(0, 0, 1, 0))));
}

// Angle from `from` to `to`, positive where the A key turns.
float turnAngle(glm::vec2 from, glm::vec2 to) {
    const float cross = from.y * to.x - from.x * to.y;
    return std::atan2(cross, glm::dot(from, to));
}

// Where the swung bat comes down, as seen from the cook: learnt by watching
// one swing, as a player would.
struct Reach {
    float distance = 0.0f;
    float bearing = 0.0f; // turn angle from the cook's facing
};

// Decides the next frame's input from what the screen shows.
class ScriptedPlayer {
public:
    explicit ScriptedPlayer(Reach reach) : reach(reach) {}

    void act(Game& game) {
        MainCharacter& cook = *game.mainCharacter;
        for (const int key :
             {GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D, GLFW_KEY_LEFT_SHIFT}) {
            cook.keys[std::size_t(key)] = false;
        }
        cook.keys[0] = false; // the left button
        const Ingridient* target = nearestOnOrder(game);
        if (target == nullptr) {
            return;
        }
        const glm::vec2 toTarget = flat(target->position) - flat(cook.position);
        const float distance = glm::length(toTarget);
        const bool close = distance < reach.distance + 4.0f;
        // Far away the cook heads straight for it; close by he puts it where the bat comes down.
        const float error = turnAngle(facing(cook), toTarget) - (close ? reach.bearing : 0.0f);
        const float wrapped = std::remainder(error, twoPi);

        if (!close || distance > reach.distance + 0.5f) {
            // Turning with the mouse acts at the next step while walking.
            look(wrapped);
            cook.keys[GLFW_KEY_W] = true;
            cook.keys[GLFW_KEY_LEFT_SHIFT] = !close;
        } else if (distance < reach.distance - 1.0f) {
            cook.keys[GLFW_KEY_S] = true;
        } else if (std::fabs(wrapped) > 0.25f) {
            cook.keys[std::size_t(wrapped > 0.0f ? GLFW_KEY_A : GLFW_KEY_D)] = true;
        }
        cook.keys[0] = std::fabs(distance - reach.distance) < 1.2f && std::fabs(wrapped) < 0.4f;
    }

private:
    // Moves the mouse so that the walking cook turns by `angle`. A full turn
    // of the mouse changes nothing, so the cursor stays within one of it.
    void look(float angle) {
        auto& input = *pizzeria::app::inputHandler;
        const double degreesPerPixel = double(input.sensitivity) * 0.017453292;
        const double fullTurn = double(twoPi) / degreesPerPixel;
        const double pixels = double(std::fmod(twoPi - angle, twoPi)) / degreesPerPixel;
        mouseX += mouseX > 0.0 ? pixels - fullTurn : pixels;
        input.onMouseMove(mouseX, 0.0);
    }

    static const Ingridient* nearestOnOrder(const Game& game) {
        const auto& order = game.ingredients->order;
        const Ingridient* best = nullptr;
        float bestDistance = std::numeric_limits<float>::max();
        for (const auto& ingredient : game.ingredients->live) {
            const bool wanted =
                std::find(order.begin(), order.end(), ingredient->kind) != order.end();
            if (!wanted || !ingredient->active) {
                continue;
            }
            const float d =
                glm::distance(flat(ingredient->position), flat(game.mainCharacter->position));
            if (d < bestDistance) {
                bestDistance = d;
                best = ingredient.get();
            }
        }
        return best;
    }

    Reach reach;
    double mouseX = 0.0;
};

// What a player could tell apart about the world at one moment.
struct Moment {
    glm::vec3 cook{0.0f};
    int lives = 0;
    int money = 0;
    int orders = 0;
    std::size_t ingredients = 0;
    std::size_t enemies = 0;

    bool operator==(const Moment& o) const {
        return cook == o.cook && lives == o.lives && money == o.money && orders == o.orders &&
               ingredients == o.ingredients && enemies == o.enemies;
    }
};

std::ostream& operator<<(std::ostream& out, const Moment& m) {
    return out << "cook at (" << m.cook.x << ", " << m.cook.y << ", " << m.cook.z << "), "
               << m.lives << " lives, " << m.money << " money, " << m.orders << " orders, "
               << m.ingredients << " ingredients, " << m.enemies << " enemies";
}

class PlayHarness : public testsupport::WholeGame {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(WholeGame::SetUp());
        gameSettings.shadowsEnabled = false; // nothing is drawn here
    }

    // A fresh round from one seed, with the cook back at the start.
    static void freshRound(unsigned seed) {
        std::srand(seed);
        pizzeria::app::spawnPointIndex = 0;
        testsupport::startNewRound(*game);
        game->mainCharacter = std::make_unique<MainCharacter>(game->terrain.get());
        pizzeria::app::inputHandler = std::make_unique<pizzeria::app::InputHandler>(
            game->window, game->currentShader, game->camera.get(), game->mainCharacter.get());
        game->collisions = std::make_unique<pizzeria::app::CollisionChecker>();
        // The step a new clock holds places the world; then nothing is pending,
        // so that at each rate a frame ends on every twentieth step.
        game->frameClock = {};
        game->advance(0.0f);
        game->pizzasDelivered = 0;
        pizzeria::app::inputHandler->onMouseMove(0.0, 0.0); // the first event only records
    }

    static Reach watchOneSwing() {
        freshRound(1);
        MainCharacter& cook = *game->mainCharacter;
        const auto grounded = [&] {
            const glm::vec3 feet(cook.modelMatrix[3]);
            return feet.y <= game->terrain->heightAt(feet.x, feet.z) + 0.01f;
        };
        while (!grounded()) {
            game->update(float(pizzeria::app::FrameClock::step)); // the drop from the sky
        }
        auto* arm = cook.getChildren().front();
        auto* bat = arm->getChildren().front();
        cook.keys[0] = true;
        Reach reach;
        float lowest = std::numeric_limits<float>::max();
        for (int i = 0; i < 30; ++i) {
            game->update(float(pizzeria::app::FrameClock::step));
            cook.keys[0] = false;
            for (const auto& box : bat->boundingBoxes()) {
                const glm::vec3 centre = (box.min + box.max) * 0.5f;
                if (box.min.y < lowest) {
                    lowest = box.min.y;
                    const glm::vec2 offset = flat(centre) - flat(cook.position);
                    reach = {glm::length(offset), turnAngle(facing(cook), offset)};
                }
            }
        }
        return reach;
    }

    // The cook's feet on the ground, the camera above it and the cook in its view.
    // `landed`: the cook has come down from where a game drops him.
    static void expectPlayable(const Game& g, float frameSeconds, int frame, bool& landed) {
        const MainCharacter& cook = *g.mainCharacter;
        const glm::vec3 feet = cook.position;
        const float ground = g.terrain->heightAt(feet.x, feet.z);
        ASSERT_GE(feet.y, ground - 1e-3f)
            << "under the ground at frame " << frame << ", " << frameSeconds << " s frames";
        landed = landed || feet.y < ground + 0.01f;
        // Off a ledge he falls for a moment, as he does from a jump; on the
        // ground every step ends with no vertical speed.
        const bool falling = !landed || cook.verticalSpeed < 0.0f || cook.inAir;
        if (!falling) {
            ASSERT_LE(feet.y, ground + 0.2f)
                << "floating at frame " << frame << ", " << frameSeconds << " s frames";
        }
        const glm::vec3 eye = g.camera->position;
        ASSERT_GE(eye.y, g.terrain->heightAt(eye.x, eye.z) + 0.49f)
            << "camera in the ground at frame " << frame << ", " << frameSeconds << " s frames";
        const glm::vec4 clip = g.camera->projection * g.camera->view * glm::vec4(feet, 1.0f);
        ASSERT_GT(clip.w, 0.0f) << "cook behind the camera at frame " << frame;
        ASSERT_LT(std::fabs(clip.x / clip.w), 1.0f) << "cook out of view at frame " << frame;
        ASSERT_LT(std::fabs(clip.y / clip.w), 1.0f) << "cook out of view at frame " << frame;
    }

    // The world once a second. The player acts every twentieth step: a frame
    // ends there at each of the rates played.
    static std::vector<Moment> play(float frameSeconds, const Reach& reach, unsigned seed) {
        freshRound(seed);
        ScriptedPlayer player(reach);
        std::vector<Moment> seconds;
        const int steps = int(playSeconds * 60.0);
        int stepped = 0;
        int frames = 0;
        int actedAt = -1;
        bool landed = false;
        while (stepped < steps && !testing::Test::HasFatalFailure()) {
            // Above 60 frames a second some frames take no step.
            if (stepped % 20 == 0 && stepped != actedAt) {
                player.act(*game);
                actedAt = stepped;
            }
            const int taken = game->advance(frameSeconds);
            if (stepped % 60 + taken >= 60) {
                const Game& g = *game;
                seconds.push_back({g.mainCharacter->position, g.mainCharacter->lives, g.money,
                                   g.pizzasDelivered, g.ingredients->live.size(),
                                   g.enemies->live.size()});
            }
            stepped += taken;
            expectPlayable(*game, frameSeconds, ++frames, landed);
        }
        return seconds;
    }
};

} // namespace

// Worlds stepped alike with the same input stay alike to the last bit: any
// difference is a rule that counts frames or their length instead of steps.
TEST_F(PlayHarness, TheGamePlaysTheSameAtEveryFrameRate) {
    const Reach reach = watchOneSwing();
    ASSERT_GT(reach.distance, 0.5f) << "the bat never came down";
    for (unsigned seed = 1; seed <= 2; ++seed) {
        const std::vector<Moment> reference = play(1.0f / 60.0f, reach, seed);
        ASSERT_EQ(reference.size(), std::size_t(playSeconds));
        EXPECT_GE(reference.back().orders, 1) << "game " << seed << ": the player never scored";
        for (const int rate : {3, 12, 30, 144}) {
            const std::vector<Moment> played = play(1.0f / float(rate), reach, seed);
            ASSERT_FALSE(HasFatalFailure()) << rate << " frames a second, game " << seed;
            ASSERT_EQ(played.size(), reference.size());
            for (std::size_t second = 0; second < played.size(); ++second) {
                ASSERT_EQ(played[second], reference[second])
                    << rate << " frames a second, game " << seed << ", after " << second + 1
                    << " s";
            }
        }
    }
}

// A window manager, or a full-screen mode the monitor lacks, may give the
// window another size than asked for, also while the game runs: the picture
// follows the framebuffer it got.
TEST_F(PlayHarness, ThePictureFollowsTheSizeTheWindowGot) {
    glfwSetWindowSize(game->window, 900, 600);
    for (int i = 0; i < 100 && game->width != 900; ++i) {
        glfwWaitEventsTimeout(0.05);
    }
    ASSERT_EQ(game->width, 900) << "no new framebuffer size arrived";
    ASSERT_EQ(game->height, 600);
    EXPECT_EQ(game->renderer->width, 900);
    EXPECT_EQ(game->hud->fontSize, 90);

    gameSettings.gameRunning = true; // a focus change on the way pauses; not this test's business
    game->advance(1.0f / 60.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game->render();
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, 900, 600}));
    // The money, green at the top centre of the new size.
    const testsupport::Picture shown = testsupport::Picture::ofBackBuffer(900, 600);
    int greenLeft = 0;
    int greenCentre = 0;
    for (int y = 540; y < 600; ++y) {
        for (int x = 0; x < 900; ++x) {
            const glm::vec3 p = shown.at(x, y);
            if (p.g * 255.0f > 90.0f && p.g > p.r * 2.0f && p.g > p.b * 2.0f) {
                (x > 350 && x < 550 ? greenCentre : greenLeft) += 1;
            }
        }
    }
    EXPECT_GT(greenCentre, 100) << "the money is centred in 900 pixels";
    EXPECT_LT(greenLeft, greenCentre / 10);
}
