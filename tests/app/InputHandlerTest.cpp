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

namespace {

class MouseLook : public testing::Test {
protected:
    void SetUp() override { gameSettings = GameSettings{}; }
    InputHandler handler{nullptr, nullptr, nullptr, nullptr};
};

constexpr float radiansPerPixel = 0.07f * 0.017453292f;

} // namespace

TEST_F(MouseLook, MovingRightTurnsAndMovingUpRaisesTheView) {
    handler.onMouseMove(0.0, 0.0);
    handler.onMouseMove(100.0, 0.0);
    EXPECT_NEAR(handler.yaw, 100 * radiansPerPixel, 1e-6);
    handler.onMouseMove(100.0, -10.0); // up on screen
    EXPECT_NEAR(handler.pitch, -0.3926991f + 10 * radiansPerPixel, 1e-6);
}

TEST_F(MouseLook, YawWrapsIntoOneTurn) {
    handler.onMouseMove(0.0, 0.0);
    handler.onMouseMove(-10.0, 0.0);
    EXPECT_NEAR(handler.yaw, 6.2831855f - 10 * radiansPerPixel, 1e-5);
    handler.onMouseMove(-10.0 + 6000.0, 0.0); // 420 degrees to the right
    EXPECT_GE(handler.yaw, 0.0f);
    EXPECT_LT(handler.yaw, 6.2831855f);
}

struct PitchCase {
    bool godMode;
    double dy; // pixels of upward movement
    float expected;
};

void PrintTo(const PitchCase& c, std::ostream* os) {
    *os << (c.godMode ? "god mode, " : "orbit, ") << c.dy << " px up";
}

class PitchLimits : public MouseLook, public testing::WithParamInterface<PitchCase> {};

TEST_P(PitchLimits, PitchStaysWithinItsMode) {
    gameSettings.godMode = GetParam().godMode;
    handler.onMouseMove(0.0, 0.0);
    handler.onMouseMove(0.0, -GetParam().dy);
    EXPECT_FLOAT_EQ(handler.pitch, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, PitchLimits,
                         testing::Values(PitchCase{false, 5000.0, -0.1f},
                                         PitchCase{false, -5000.0, -1.553343f},
                                         PitchCase{true, 5000.0, 1.553343f},
                                         PitchCase{true, -5000.0, -1.553343f}),
                         [](const testing::TestParamInfo<PitchCase>& info) {
                             return std::string(info.param.godMode ? "God" : "Orbit") +
                                    (info.param.dy > 0 ? "Up" : "Down");
                         });
