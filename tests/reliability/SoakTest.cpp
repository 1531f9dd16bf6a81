// Hostile play on the real game: random presses and releases of every key the
// game reads, random mouse buttons and movement, every technique toggled, for
// PIZZERIA_SOAK_SECONDS (60 by default). Every object's matrix must stay
// finite, knocked-out objects must go, the driver must report no GL error,
// and neither what the game allocates nor its GL objects may grow. A round that
// ends in game over is followed by a fresh one, so the whole run is spent
// playing. The seed is printed; PIZZERIA_SOAK_SEED plays a run again. Under the sanitizer build
// LeakSanitizer checks at exit that every dropped object was destroyed.
#include "app/Game.h"
#include "app/GameSettings.h"
#include "app/InputHandler.h"
#include "sound/SoundManager.h"
#include "tests/reliability/HeldByNew.h"
#include "tests/support/GlErrors.h"
#include "tests/support/WholeGame.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

using pizzeria::app::gameSettings;
using pizzeria::scene::SceneObject;

namespace {

const int kKeys[] = {GLFW_KEY_ESCAPE,    GLFW_KEY_F1,  GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_F4,
                     GLFW_KEY_F5,        GLFW_KEY_F6,  GLFW_KEY_F7, GLFW_KEY_F8, GLFW_KEY_F9,
                     GLFW_KEY_F10,       GLFW_KEY_F11, GLFW_KEY_B,  GLFW_KEY_G,  GLFW_KEY_J,
                     GLFW_KEY_M,         GLFW_KEY_P,   GLFW_KEY_X,  GLFW_KEY_W,  GLFW_KEY_A,
                     GLFW_KEY_S,         GLFW_KEY_D,   GLFW_KEY_Q,  GLFW_KEY_E,  GLFW_KEY_SPACE,
                     GLFW_KEY_LEFT_SHIFT};

double envSeconds() {
    const char* text = std::getenv("PIZZERIA_SOAK_SECONDS");
    return text != nullptr ? std::atof(text) : 60.0;
}

// The game's GL objects alive now, by probing the names a run can reach.
int liveGlObjects() {
    int live = 0;
    for (GLuint name = 1; name <= 8192; ++name) {
        live += glIsTexture(name) + glIsBuffer(name) + glIsFramebuffer(name) +
                glIsRenderbuffer(name) + glIsVertexArray(name) + glIsProgram(name) +
                glIsShader(name);
    }
    return live;
}

// The keys that switch something on and off, or through modes.
const int kToggles[] = {GLFW_KEY_F2,  GLFW_KEY_F3,  GLFW_KEY_F4, GLFW_KEY_F5,
                        GLFW_KEY_F6,  GLFW_KEY_F7,  GLFW_KEY_F8, GLFW_KEY_F9,
                        GLFW_KEY_F10, GLFW_KEY_F11, GLFW_KEY_B,  GLFW_KEY_G,
                        GLFW_KEY_J,   GLFW_KEY_M,   GLFW_KEY_P,  GLFW_KEY_X};

void press(pizzeria::app::InputHandler& input, GLFWwindow* window, int key) {
    input.onKey(window, key, GLFW_PRESS);
    input.onKey(window, key, GLFW_RELEASE);
}

void drawFrames(pizzeria::app::Game& game, int count) {
    for (int i = 0; i < count; ++i) {
        game.advance(1.0f / 60.0f);
        game.render();
        glfwSwapBuffers(game.window);
    }
}

bool finite(const glm::mat4& m) {
    const float* values = glm::value_ptr(m);
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(values[i])) {
            return false;
        }
    }
    return true;
}

// The object and all its parts (the cook's arms, hat and bat).
bool finiteTree(const SceneObject& object) {
    if (!finite(object.modelMatrix)) {
        return false;
    }
    for (const auto& child : object.children) {
        if (!finiteTree(*child)) {
            return false;
        }
    }
    return true;
}

template <typename List> bool finiteAll(const List& list) {
    for (const auto& object : list) {
        if (!finiteTree(*object)) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(Soak, RandomPlayKeepsTheGameSoundAndItsMemoryFlat) {
    const auto previous = std::filesystem::current_path();
    setenv("PIZZERIA_GL_ERROR_GATE", "1", 1); // a debug context for the gate
    auto game = testsupport::startGameInRunFolder();
    ASSERT_TRUE(testsupport::gateGlErrors()) << "the context offers no KHR_debug";
    auto& input = *pizzeria::app::inputHandler;

    const double seconds = envSeconds();
    const char* givenSeed = std::getenv("PIZZERIA_SOAK_SEED");
    const unsigned seed = givenSeed != nullptr && *givenSeed != '\0'
                              ? unsigned(std::strtoul(givenSeed, nullptr, 10))
                              : unsigned(std::random_device{}());
    std::cout << "soak seed " << seed << ", " << seconds << " s" << std::endl;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> anyKey(0, std::size(kKeys) - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::normal_distribution<double> step(0.0, 40.0);

    // Every feature once, so its first use (a shader variant, the party
    // track) is not taken for growth.
    for (const int key : kToggles) {
        for (int twice = 0; twice < 2; ++twice) {
            press(input, game->window, key);
            drawFrames(*game, 2);
        }
    }
    glFinish();
    const int glObjectsAtStart = liveGlObjects();
    std::vector<double> heldByNew; // MB every 2 s

    double mouseX = 0.0;
    double mouseY = 0.0;
    long frames = 0;
    int rounds = 1;
    const double start = glfwGetTime();
    double last = start;
    for (double now = start; now - start < seconds; now = glfwGetTime()) {
        const float dt = float(now - last);
        last = now;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->advance(dt);
        game->render();

        // The events of one poll, between the render and the swap.
        for (int events = percent(rng) % 4; events > 0; --events) {
            const int roll = percent(rng);
            if (roll < 60) {
                input.onKey(game->window, kKeys[anyKey(rng)],
                            percent(rng) < 50 ? GLFW_PRESS : GLFW_RELEASE);
            } else if (roll < 75) {
                input.onMouseButton(percent(rng) % 3, percent(rng) < 50);
            } else if (roll < 99) {
                mouseX += step(rng);
                mouseY += step(rng);
                input.onMouseMove(mouseX, mouseY);
            } else {
                mouseX += step(rng) * 1000.0; // a wild jump of the cursor
                input.onMouseMove(mouseX, mouseY);
            }
        }
        glfwSwapBuffers(game->window);
        glGetError();
        ++frames;

        // Escape only asks to close; the soak keeps playing.
        glfwSetWindowShouldClose(game->window, GLFW_FALSE);

        ASSERT_TRUE(finiteTree(*game->mainCharacter)) << "frame " << frames;
        ASSERT_TRUE(finiteAll(game->ingredients->live) && finiteAll(game->ingredients->dying))
            << "frame " << frames;
        ASSERT_TRUE(finiteAll(game->enemies->live) && finiteAll(game->enemies->dying))
            << "frame " << frames;
        ASSERT_TRUE(finite(game->skyBox->modelMatrix) && finite(game->camera->view) &&
                    finite(game->camera->projection))
            << "frame " << frames;
        // Knocked-out objects shrink away and leave; they must not pile up.
        ASSERT_LT(game->ingredients->dying.size() + game->enemies->dying.size(), 64u);
        ASSERT_LE(game->ingredients->live.size() + game->ingredients->pending.size(), 64u);

        if (gameSettings.gameOver) {
            testsupport::startNewRound(*game);
            ++rounds;
        }
        if (now - start >= 2.0 * double(heldByNew.size() + 1)) {
            heldByNew.push_back(double(testsupport::bytesHeldByNew()) / (1024.0 * 1024.0));
        }
    }

    // Memory swings with what is shown; what is kept shows in the lowest
    // sample. The last third's lowest must not stand above the first third's.
    const long third = long(heldByNew.size() / 3);
    ASSERT_GE(third, 2) << "too short a run to judge memory";
    const double early = *std::min_element(heldByNew.begin(), heldByNew.begin() + third);
    const double late = *std::min_element(heldByNew.end() - third, heldByNew.end());
    std::cout << "soak: " << frames << " frames, " << rounds << " rounds, lowest held by new "
              << early << " MB in the first third, " << late << " MB in the last" << std::endl;
    EXPECT_GT(frames, 10);
    glFinish();
    EXPECT_LE(liveGlObjects(), glObjectsAtStart) << "GL objects pile up";
#if PIZZERIA_COUNTS_NEW
    // The driver compiles a shader variant now and then for a new mix of
    // switches, a few kilobytes each.
    EXPECT_LT(late - early, 0.25) << "the game's own memory grows";
#endif
    game.reset();
    pizzeria::app::inputHandler.reset();
    std::filesystem::current_path(previous);
}
