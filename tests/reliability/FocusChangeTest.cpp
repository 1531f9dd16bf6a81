// Real X input across focus changes, on the real game in this process. When
// its window loses focus GLFW releases every key and button held, and it
// still passes the real button release that follows: the key tables must
// follow what is really held, so the bat does not swing on by itself.
#include "app/Game.h"
#include "scene/rightArm/RightArm.h"
#include "tests/support/PrivateDisplay.h"
#include "tests/support/WholeGame.h"
#include "tests/support/X11Windows.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// One game for the suite, on a display of its own: no other window takes the
// focus meanwhile.
class FocusChange : public testing::Test {
protected:
    static void SetUpTestSuite() {
        display = std::make_unique<testsupport::PrivateDisplay>();
        if (!display->ok()) {
            return;
        }
        setenv("DISPLAY", display->name().c_str(), 1);
        previous = std::filesystem::current_path();
        game = testsupport::startGameInRunFolder();
        x11 = std::make_unique<testsupport::X11Windows>(display->name());
        gameWindow = x11->waitForWindow("Pizzeria", getpid(), 30s);
        // From here on, as the window's events tell it.
        gameFocused = glfwGetWindowAttrib(game->window, GLFW_FOCUSED) == GLFW_TRUE;
        glfwSetWindowFocusCallback(
            game->window, [](GLFWwindow*, int focused) { gameFocused = focused == GLFW_TRUE; });
        // Beside the game's window, so the pointer stays over the game.
        otherWindow = x11->createWindow(1300, 100, 200, 200);
    }

    static void TearDownTestSuite() {
        game.reset();
        x11.reset();
        display.reset();
        std::filesystem::current_path(previous);
    }

    void SetUp() override {
        ASSERT_TRUE(display->ok()) << "Xvfb did not start";
        ASSERT_NE(gameWindow, 0u) << "the game window never appeared";
        focus(gameWindow);
        ASSERT_EQ(xdotool("mousemove --window " + std::to_string(gameWindow) + " 600 400"), 0);
    }

    int xdotool(const std::string& arguments) const {
        return testsupport::xdotool(display->name(), arguments);
    }

    // Moves the keyboard focus and waits until the game's window has had the
    // event, and so every event sent before.
    void focus(unsigned long window) {
        const bool toGame = window == gameWindow;
        ASSERT_EQ(xdotool("windowfocus --sync " + std::to_string(window)), 0);
        ASSERT_TRUE(frames([&] { return gameFocused == toGame; }))
            << "the game never saw the focus move";
    }

    // Game frames (events and rules, no drawing) until `done`; false when it
    // never is.
    bool frames(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            glfwPollEvents();
            game->update(1.0f / 60.0f);
        }
        return true;
    }

    bool& held(int key) { return game->mainCharacter->keys[std::size_t(key)]; }

    bool swinging() {
        const auto& arm = *static_cast<pizzeria::scene::rightArm::RightArm*>(
            game->mainCharacter->getChildren().front());
        return arm.swingForward || arm.swingBack;
    }

    static inline std::unique_ptr<testsupport::PrivateDisplay> display;
    static inline std::unique_ptr<pizzeria::app::Game> game;
    static inline std::unique_ptr<testsupport::X11Windows> x11;
    static inline unsigned long gameWindow = 0;
    static inline unsigned long otherWindow = 0;
    static inline std::filesystem::path previous;
    static inline bool gameFocused = false;
};

} // namespace

TEST_F(FocusChange, ButtonReleasedElsewhereLeavesTheBatAtRest) {
    ASSERT_EQ(xdotool("mousedown 1"), 0);
    ASSERT_TRUE(frames([&] { return held(GLFW_MOUSE_BUTTON_LEFT); }));
    focus(otherWindow); // GLFW releases the button here
    EXPECT_FALSE(held(GLFW_MOUSE_BUTTON_LEFT));
    ASSERT_EQ(xdotool("mouseup 1"), 0); // and passes this release as well
    focus(gameWindow);
    EXPECT_FALSE(held(GLFW_MOUSE_BUTTON_LEFT));
    // One swing takes well under a second of frames; then the arm rests.
    int frame = 0;
    EXPECT_TRUE(frames([&] { return ++frame > 120; }));
    EXPECT_FALSE(swinging()) << "the bat swings with no button held";

    // A later click still presses and releases.
    ASSERT_EQ(xdotool("mousedown 1"), 0);
    EXPECT_TRUE(frames([&] { return held(GLFW_MOUSE_BUTTON_LEFT); }));
    ASSERT_EQ(xdotool("mouseup 1"), 0);
    EXPECT_TRUE(frames([&] { return !held(GLFW_MOUSE_BUTTON_LEFT); }));
}

TEST_F(FocusChange, KeysFollowWhatIsHeld) {
    // Held in the game, released in another window.
    ASSERT_EQ(xdotool("keydown w"), 0);
    ASSERT_TRUE(frames([&] { return held(GLFW_KEY_W); }));
    focus(otherWindow);
    ASSERT_EQ(xdotool("keyup w"), 0);
    focus(gameWindow);
    EXPECT_FALSE(held(GLFW_KEY_W));
    EXPECT_FALSE(game->camera->keys[GLFW_KEY_W]);

    // Pressed in another window, released in the game.
    focus(otherWindow);
    ASSERT_EQ(xdotool("keydown d"), 0);
    focus(gameWindow);
    ASSERT_EQ(xdotool("keyup d"), 0);
    focus(otherWindow);
    focus(gameWindow);
    EXPECT_FALSE(held(GLFW_KEY_D)) << "the cook walks with no key held";
}
