// What a player expects beyond the rules: playing again after game over, a
// mini-map that tells where to go, a pause while away and screenshots.
#include "app/GameSettings.h"
#include "app/InputHandler.h"
#include "app/Screenshot.h"
#include "render/Renderer.h"
#include "sound/SoundManager.h"
#include "tests/support/Process.h"
#include "tests/support/WholeGame.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using pizzeria::app::Game;
using pizzeria::app::gameSettings;
using pizzeria::app::GameSettings;
using pizzeria::app::inputHandler;

namespace {

constexpr float step = 1.0f / 60.0f;

class Rounds : public testsupport::WholeGame {
protected:
    void SetUp() override {
        ASSERT_NE(game, nullptr);
        gameSettings = GameSettings{};
        testsupport::startNewRound(*game);
    }

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

    const float clock = game->timeLeft;
    const int money = game->money;
    for (int i = 0; i < 120; ++i) {
        game->advance(step);
    }
    EXPECT_EQ(game->timeLeft, clock);
    EXPECT_EQ(game->money, money);
    inputHandler->onWindowAway(); // iconified as well: still paused, no second line
    EXPECT_FALSE(gameSettings.gameRunning);
    press(GLFW_KEY_F1);
    game->advance(step);
    EXPECT_LT(game->timeLeft, clock) << "F1 resumes";
}

namespace {

// The window's pixels, bottom row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    static Picture ofBackBuffer(int width, int height) {
        Picture p{width, height, std::vector<unsigned char>(std::size_t(width) * height * 3)};
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
        return p;
    }
    glm::vec3 at(int x, int y) const {
        const unsigned char* p = &rgb[(std::size_t(y) * width + x) * 3];
        return glm::vec3(p[0], p[1], p[2]) / 255.0f;
    }
};

// Where a world point shows in the mini-map inset.
glm::vec2 insetPixel(const Game& g, const glm::vec3& world) {
    const glm::vec4 clip = pizzeria::render::Renderer::miniMapMatrix() * glm::vec4(world, 1.0f);
    const auto inset = pizzeria::render::Renderer::miniMapInset(g.width, g.height);
    return {float(inset.x) + (clip.x / clip.w * 0.5f + 0.5f) * float(inset.width),
            float(inset.y) + (clip.y / clip.w * 0.5f + 0.5f) * float(inset.height)};
}

// The pixels near `centre` closest in colour to `colour`, if any is close.
bool colourNear(const Picture& p, glm::vec2 centre, glm::vec3 colour) {
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            if (glm::distance(p.at(int(centre.x) + dx, int(centre.y) + dy), colour) < 0.2f) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

// One ingredient on the order, one off it and one gangster at known places:
// each shows in its own colour where it stands, and the cook's arrow points
// where he faces.
TEST_F(Rounds, TheMiniMapTellsWhatIsWhereAndWhereTheCookFaces) {
    game->advance(step);
    auto& ingredients = *game->ingredients;
    ingredients.live.clear();
    const int wantedKind = ingredients.order.front();
    const int otherKind = wantedKind % 8 + 1; // any kind but the wanted one
    ingredients.order = {wantedKind};
    ingredients.spawn(wantedKind);
    ingredients.spawn(otherKind);
    game->enemies->spawn();
    game->advance(step); // into play
    ASSERT_EQ(ingredients.live.size(), 2u);
    ASSERT_EQ(game->enemies->live.size(), 1u);

    const glm::vec3 wantedAt(40, 0, 30), otherAt(-50, 0, 20), gangsterAt(10, 0, -60);
    auto place = [&](pizzeria::scene::MoveAbleObject& object, glm::vec3 at) {
        at.y = game->terrain->heightAt(at.x, at.z);
        object.modelMatrix[3] = glm::vec4(at, 1.0f);
        object.position = at;
    };
    place(*ingredients.live[0], wantedAt);
    place(*ingredients.live[1], otherAt);
    place(*game->enemies->live[0], gangsterAt);
    auto& cook = *game->mainCharacter;
    cook.yaw = 0.7f; // facing (sin 0.7, cos 0.7) on the ground
    cook.modelMatrix =
        glm::rotate(glm::translate(glm::mat4(1.0f), cook.position), cook.yaw, glm::vec3(0, 1, 0));
    gameSettings.miniMapEnabled = true;
    gameSettings.cullingEnabled = false;
    gameSettings.gameRunning = false; // nothing walks off
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game->render();
    const Picture p = Picture::ofBackBuffer(game->width, game->height);

    EXPECT_TRUE(colourNear(p, insetPixel(*game, wantedAt), {0.25f, 1.0f, 0.35f})) << "green";
    EXPECT_TRUE(colourNear(p, insetPixel(*game, otherAt), {0.45f, 0.72f, 1.0f})) << "blue";
    EXPECT_TRUE(colourNear(p, insetPixel(*game, gangsterAt), {1.0f, 0.18f, 0.18f})) << "red";

    // The arrow: its tip is its yellow pixel farthest from its middle.
    const auto inset = pizzeria::render::Renderer::miniMapInset(game->width, game->height);
    std::vector<glm::vec2> arrow;
    for (int y = inset.y; y < inset.y + inset.height; ++y) {
        for (int x = inset.x; x < inset.x + inset.width; ++x) {
            if (glm::distance(p.at(x, y), glm::vec3(1.0f, 0.92f, 0.25f)) < 0.2f) {
                arrow.emplace_back(float(x), float(y));
            }
        }
    }
    ASSERT_GT(arrow.size(), 10u) << "no arrow";
    glm::vec2 middle(0.0f);
    for (const glm::vec2& a : arrow) {
        middle += a / float(arrow.size());
    }
    glm::vec2 tip = middle;
    for (const glm::vec2& a : arrow) {
        tip = glm::distance(a, middle) > glm::distance(tip, middle) ? a : tip;
    }
    const glm::vec3 ahead =
        cook.position + 10.0f * glm::vec3(std::sin(cook.yaw), 0, std::cos(cook.yaw));
    const glm::vec2 facing =
        glm::normalize(insetPixel(*game, ahead) - insetPixel(*game, cook.position));
    EXPECT_GT(glm::dot(glm::normalize(tip - middle), facing), 0.9f) << "the arrow points elsewhere";
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
    const std::string out = testing::internal::GetCapturedStdout();
    const auto folder = data.path() / "pizzeria" / "screenshots";
    ASSERT_EQ(out.rfind("screenshot saved to " + folder.string(), 0), 0u) << out;
    const std::string file = out.substr(std::string("screenshot saved to ").size(),
                                        out.size() - std::string("screenshot saved to \n").size());

    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ASSERT_TRUE(ilLoadImage(file.c_str())) << file;
    ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ASSERT_EQ(ilGetInteger(IL_IMAGE_WIDTH), shown.width);
    ASSERT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), shown.height);
    std::vector<unsigned char> saved(shown.rgb.size());
    ilCopyPixels(0, 0, 0, ILuint(shown.width), ILuint(shown.height), 1, IL_RGB, IL_UNSIGNED_BYTE,
                 saved.data());
    ilDeleteImages(1, &image);
    EXPECT_TRUE(saved == shown.rgb) << "the file differs from the window";

    // A file where the folder should be: one line, and play goes on.
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
