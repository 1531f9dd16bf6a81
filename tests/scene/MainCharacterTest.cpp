// The cook under keyboard control: walking, running, turning and jumping.
#include "scene/Angles.h"
#include "tests/scene/CookFixture.h"

#include <GLFW/glfw3.h>

#include <cmath>

using pizzeria::scene::twoPi;
using scenetest::CookTest;
using scenetest::where;

namespace {

struct WalkCase {
    std::vector<int> keys;
    float unitsPerSecond;
};

class CookWalking : public scenetest::CookTest, public testing::WithParamInterface<WalkCase> {};

} // namespace

TEST_P(CookWalking, CoversItsSpeedInOneSecond) {
    for (int key : GetParam().keys) {
        cook->keys[std::size_t(key)] = true;
    }
    const glm::vec3 start = where(*cook);
    for (int i = 0; i < 60; ++i) {
        cook->update(frame);
    }
    const glm::vec3 moved = where(*cook) - start;
    EXPECT_NEAR(glm::length(glm::vec2(moved.x, moved.z)), GetParam().unitsPerSecond, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Keys, CookWalking,
                         testing::Values(WalkCase{{GLFW_KEY_W}, 9.0f}, WalkCase{{GLFW_KEY_S}, 9.0f},
                                         WalkCase{{GLFW_KEY_W, GLFW_KEY_LEFT_SHIFT}, 13.5f},
                                         WalkCase{{GLFW_KEY_W, GLFW_KEY_S}, 0.0f},
                                         WalkCase{{GLFW_KEY_LEFT_SHIFT}, 0.0f}));

TEST_F(CookTest, TurnsFourRadiansPerSecondAndKeepsYawInOneTurn) {
    const float startYaw = cook->yaw;
    cook->keys[GLFW_KEY_A] = true;
    for (int i = 0; i < 60; ++i) {
        cook->update(frame);
        ASSERT_GE(cook->yaw, 0.0f);
        ASSERT_LT(cook->yaw, twoPi);
    }
    EXPECT_NEAR(cook->yaw, pizzeria::scene::wrapAngle(startYaw + 4.0f), 1e-3);

    cook->keys[GLFW_KEY_A] = false;
    cook->keys[GLFW_KEY_D] = true;
    for (int i = 0; i < 600; ++i) {
        cook->update(frame);
        ASSERT_GE(cook->yaw, 0.0f);
        ASSERT_LT(cook->yaw, twoPi);
    }
}

TEST_F(CookTest, AJumpGoesUpAndLandsAgain) {
    const float ground = where(*cook).y;
    cook->keys[GLFW_KEY_SPACE] = true;
    cook->update(frame);
    cook->keys[GLFW_KEY_SPACE] = false;
    EXPECT_TRUE(cook->inAir);

    float highest = ground;
    int frames = 0;
    while (cook->inAir && frames < 600) {
        cook->update(frame);
        highest = std::max(highest, where(*cook).y);
        ++frames;
    }
    EXPECT_FALSE(cook->inAir);
    EXPECT_GT(highest, ground + 1.0f);
    EXPECT_NEAR(where(*cook).y, ground, 0.5f);
}
