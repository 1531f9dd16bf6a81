// What a player expects beyond the rules: playing again after game over, a
// pause while away and screenshots.
#include "app/GameSettings.h"
#include "app/InputHandler.h"
#include "app/Screenshot.h"
#include "assets/ImageLoader.h"
#include "sound/SoundManager.h"
#include "tests/support/Picture.h"
#include "tests/support/Process.h"
#include "tests/support/WholeGame.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using pizzeria::app::gameSettings;
using pizzeria::app::inputHandler;
using testsupport::Picture;

namespace {

constexpr float step = 1.0f / 60.0f;

class Rounds : public testsupport::WholeGame {
protected:
    static void press(int key) {
        inputHandler->onKey(game->window, key, GLFW_PRESS);
        inputHandler->onKey(game->window, key, GLFW_RELEASE);
    }

    // Everything a round starts with, the cook where he stood and at full size.
    static void expectStartOfRound(const glm::vec3& cookAt) {
        EXPECT_FLOAT_EQ(game->timeLeft, 30.0f);
        EXPECT_EQ(game->shownSeconds, 30);
        EXPECT_EQ(game->money, 50);
        EXPECT_FLOAT_EQ(game->enemySpawnTimer, 5.0f);
        EXPECT_TRUE(gameSettings.gameRunning);
        EXPECT_FALSE(gameSettings.gameOver);
        EXPECT_TRUE(game->hud->playing);
        const auto& cook = *game->mainCharacter;
        EXPECT_EQ(cook.lives, 3);
        EXPECT_TRUE(cook.active);
        EXPECT_FALSE(cook.hurt);
        EXPECT_NEAR(glm::length(glm::vec3(cook.modelMatrix[0])), 1.0f, 1e-4) << "full size";
        EXPECT_NEAR(cook.modelMatrix[3].x, cookAt.x, 1e-4);
        EXPECT_NEAR(cook.modelMatrix[3].z, cookAt.z, 1e-4);
        const auto& order = game->ingredients->order;
        EXPECT_GE(order.size(), 2u);
        EXPECT_LE(order.size(), 4u);
        EXPECT_EQ(game->ingredients->pending.size(), order.size() + 8);
        EXPECT_TRUE(game->ingredients->live.empty());
        EXPECT_TRUE(game->enemies->live.empty() && game->enemies->dying.empty());
        EXPECT_EQ(game->hud->moneyText, "$50");
        EXPECT_EQ(game->hud->livesText, "lifes: 3");
        EXPECT_FALSE(pizzeria::sound::findSound("background")->isPaused()) << "music plays";
    }
};

} // namespace

TEST_F(Rounds, EnterAfterGameOverStartsANewRoundTwice) {
    for (const bool byLives : {true, false, true}) {
        for (int i = 0; i < 120; ++i) {
            game->advance(step); // into play; the cook lands and walks a little
            game->mainCharacter->keys[GLFW_KEY_W] = i < 60;
        }
        game->mainCharacter->keys[GLFW_KEY_W] = false;
        game->enemies->spawn();
        if (byLives) {
            game->mainCharacter->lives = 1;
            game->mainCharacter->hit();
        } else {
            game->money = 0;
        }
        for (int i = 0; i < 180; ++i) {
            game->advance(step); // the cook shrinks away for two seconds
        }
        ASSERT_TRUE(gameSettings.gameOver);
        const glm::vec3 cookAt(game->mainCharacter->modelMatrix[3]);
        testing::internal::CaptureStdout();
        press(GLFW_KEY_F1); // nothing to resume
        game->advance(step);
        EXPECT_FALSE(gameSettings.gameRunning);
        press(GLFW_KEY_ENTER);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "new game\n");
        game->advance(0.0f);
        expectStartOfRound(cookAt);
    }
}

TEST_F(Rounds, EnterWhilePlayingChangesNothing) {
    game->money = 20;
    press(GLFW_KEY_ENTER);
    game->advance(step);
    EXPECT_EQ(game->money, 20);
    EXPECT_FALSE(gameSettings.newRoundRequested);
}

TEST_F(Rounds, LosingFocusPausesUntilF1) {
    // Focus that leaves for a moment and comes straight back is no absence.
    game->onFocusChanged(false);
    game->advance(0.1f);
    game->onFocusChanged(true);
    game->advance(1.0f);
    EXPECT_TRUE(gameSettings.gameRunning);

    glfwShowWindow(game->window);
    glfwFocusWindow(game->window);
    for (int i = 0; i < 100 && glfwGetWindowAttrib(game->window, GLFW_FOCUSED) == 0; ++i) {
        glfwWaitEventsTimeout(0.05);
    }
    ASSERT_NE(glfwGetWindowAttrib(game->window, GLFW_FOCUSED), 0) << "the window never had focus";

    // Another window takes the focus, as a notification or a second program would.
    glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
    GLFWwindow* other = glfwCreateWindow(100, 100, "other", nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    testing::internal::CaptureStdout();
    glfwFocusWindow(other);
    for (int i = 0; i < 100 && gameSettings.gameRunning; ++i) {
        glfwWaitEventsTimeout(0.05);
        game->advance(0.05f); // a loss of focus pauses only once it lasts
    }
    glfwDestroyWindow(other);
    glfwMakeContextCurrent(game->window);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "game paused\n");
    EXPECT_FALSE(gameSettings.gameRunning);

    // What a pause holds still is Rules' business.
    const float clock = game->timeLeft;
    inputHandler->onWindowAway(); // iconified as well: still paused, no second line
    EXPECT_FALSE(gameSettings.gameRunning);
    press(GLFW_KEY_F1);
    game->advance(step);
    EXPECT_LT(game->timeLeft, clock) << "F1 resumes";
}

TEST_F(Rounds, F12SavesThePictureAsShownOrSaysWhyNot) {
    testsupport::TempDir data;
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    gameSettings.miniMapEnabled = true;
    game->advance(step);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game->render();
    const Picture shown = Picture::ofBackBuffer(game->width, game->height);
    testing::internal::CaptureStdout();
    press(GLFW_KEY_F12);
    pizzeria::app::finishScreenshots();
    const std::string out = testing::internal::GetCapturedStdout();
    const auto folder = data.path() / "pizzeria" / "screenshots";
    ASSERT_EQ(out.rfind("screenshot saved to " + folder.string(), 0), 0u) << out;
    const std::string file = out.substr(std::string("screenshot saved to ").size(),
                                        out.size() - std::string("screenshot saved to \n").size());

    const pizzeria::assets::DecodedImage saved = pizzeria::assets::decodeRgbImage(file);
    ASSERT_EQ(saved.error, 0u) << file;
    ASSERT_EQ(saved.image.width, shown.width);
    ASSERT_EQ(saved.image.height, shown.height);
    // The file runs top down, the back buffer bottom up.
    std::vector<unsigned char> upright(shown.rgb.size());
    const std::size_t row = std::size_t(shown.width) * 3;
    for (std::size_t y = 0; y < std::size_t(shown.height); ++y) {
        std::copy_n(&shown.rgb[(std::size_t(shown.height) - 1 - y) * row], row, &upright[y * row]);
    }
    EXPECT_TRUE(saved.image.pixels == upright) << "the file differs from the window";

    // However often F12 comes in one poll, one picture of the frame.
    const auto pictures = [&] {
        return std::distance(std::filesystem::directory_iterator(folder),
                             std::filesystem::directory_iterator());
    };
    press(GLFW_KEY_F12);
    press(GLFW_KEY_F12);
    pizzeria::app::finishScreenshots();
    EXPECT_EQ(pictures(), 1);

    // A disk that fills up mid-write: one line, no picture, nothing left over.
    game->render();
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{64 * 1024, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    press(GLFW_KEY_F12);
    pizzeria::app::finishScreenshots(); // written on another thread, under the same limit
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::string full = testing::internal::GetCapturedStderr();
    EXPECT_EQ(full.rfind("ERROR: Could not save the screenshot to ", 0), 0u) << full;
    EXPECT_EQ(pictures(), 1) << "a cut-off picture stayed";

    // A file where the folder should be: one line, and play goes on.
    game->render();
    std::ofstream(data.path() / "blocked") << "not a folder";
    setenv("XDG_DATA_HOME", (data.path() / "blocked").c_str(), 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    press(GLFW_KEY_F12);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testsupport::lines(err).size(), 1u) << err;
    EXPECT_EQ(err.rfind("ERROR: Could not save the screenshot to ", 0), 0u) << err;
    game->advance(step);
    EXPECT_TRUE(gameSettings.gameRunning);
    unsetenv("XDG_DATA_HOME");
}
