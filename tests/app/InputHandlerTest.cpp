// The feature keys and mouse look, driven through the handler the window
// callbacks call, with the console output a player sees.
#include "app/InputHandler.h"
#include "app/GameSettings.h"
#include "sound/SoundManager.h"
#include "tests/support/Process.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using pizzeria::app::GameSettings;
using pizzeria::app::gameSettings;
using pizzeria::app::InputHandler;
using testsupport::lines;

namespace {

class Keys : public testing::Test {
protected:
    void SetUp() override { gameSettings = GameSettings{}; }

    // Presses and releases `key` `times` times; returns what was printed.
    std::vector<std::string> press(int key, int times = 1) {
        testing::internal::CaptureStdout();
        for (int i = 0; i < times; ++i) {
            handler.onKey(nullptr, key, GLFW_PRESS);
            handler.onKey(nullptr, key, GLFW_RELEASE);
        }
        return lines(testing::internal::GetCapturedStdout());
    }

    InputHandler handler{nullptr, nullptr, nullptr, nullptr};
};

} // namespace

TEST_F(Keys, RepeatsReleasesAndStrayCodesChangeNothing) {
    testing::internal::CaptureStdout();
    handler.onKey(nullptr, GLFW_KEY_F7, GLFW_REPEAT);
    handler.onKey(nullptr, GLFW_KEY_F7, GLFW_RELEASE);
    for (int code : {GLFW_KEY_UNKNOWN, -5, 1024, 40000}) {
        handler.onKey(nullptr, code, GLFW_PRESS);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(gameSettings.shadowsEnabled, GameSettings{}.shadowsEnabled);
}

TEST_F(Keys, SoundKeysSayWhatTheSoundPlayerReturns) {
    pizzeria::sound::releaseSound(); // no engine: the switches still flip
    EXPECT_EQ(press(GLFW_KEY_M, 2), (std::vector<std::string>{"Sound off", "Sound on"}));
    EXPECT_EQ(press(GLFW_KEY_P), std::vector<std::string>{"party Mode on"});
    EXPECT_TRUE(pizzeria::sound::partyMode);
    EXPECT_EQ(press(GLFW_KEY_P), std::vector<std::string>{"party Mode off"});
    EXPECT_FALSE(pizzeria::sound::soundMuted);
}

TEST_F(Keys, GodModeDiscardsThePendingYaw) {
    handler.yaw = 1.25f;
    press(GLFW_KEY_G);
    EXPECT_EQ(handler.yaw, 0.0f);
}

// Moving right turns and moving up raises the view, 0.07 degrees a pixel;
// yaw wraps into one turn, and pitch stops short of straight up and down, the
// orbit camera just below level.
TEST(MouseLook, TurnsRaisesWrapsAndStaysWithinItsMode) {
    constexpr float perPixel = 0.07f * 0.017453292f;
    constexpr float startPitch = -0.3926991f;
    const struct {
        bool godMode;
        double right, up; // pixels
        float yaw, pitch;
    } cases[] = {
        {false, 100.0, 10.0, 100 * perPixel, startPitch + 10 * perPixel},
        {false, -10.0, 0.0, 6.2831855f - 10 * perPixel, startPitch},
        {false, 6000.0, 0.0, 6000 * perPixel - 6.2831855f, startPitch}, // 420 degrees
        {false, 0.0, 5000.0, 0.0f, -0.1f},
        {false, 0.0, -5000.0, 0.0f, -1.553343f},
        {true, 0.0, 5000.0, 0.0f, 1.553343f},
        {true, 0.0, -5000.0, 0.0f, -1.553343f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.godMode ? "god mode " : "orbit ") << c.right
                                        << " right, " << c.up << " up");
        gameSettings = GameSettings{};
        gameSettings.godMode = c.godMode;
        InputHandler handler{nullptr, nullptr, nullptr, nullptr};
        handler.onMouseMove(0.0, 0.0);
        handler.onMouseMove(c.right, -c.up); // window y grows downwards
        EXPECT_NEAR(handler.yaw, c.yaw, 1e-5f);
        EXPECT_NEAR(handler.pitch, c.pitch, 1e-5f);
    }
    gameSettings = GameSettings{};
}
