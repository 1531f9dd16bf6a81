// The cook under keyboard control: walking, running, turning, jumping, the
// walk back out of a steep rise, and the camera alignment.
#include "scene/Angles.h"
#include "tests/scene/CookFixture.h"

#include <GLFW/glfw3.h>

#include <cmath>

using pizzeria::scene::twoPi;
using scenetest::where;

namespace {

class Cook : public scenetest::CookTest {};

float horizontalDistance(glm::vec3 a, glm::vec3 b) {
    return glm::length(glm::vec2(a.x - b.x, a.z - b.z));
}

struct WalkCase {
    std::vector<int> keys;
    float unitsPerSecond;
};

class CookWalking : public Cook, public testing::WithParamInterface<WalkCase> {};

void PrintTo(const WalkCase& c, std::ostream* os) {
    for (int key : c.keys) {
        *os << key << " ";
    }
}

} // namespace

TEST_P(CookWalking, CoversItsSpeedInOneSecond) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
    for (int key : GetParam().keys) {
        cook->keys[std::size_t(key)] = true;
    }
    const glm::vec3 start = where(*cook);
    for (int i = 0; i < 60; ++i) {
        cook->update(frame);
    }
    EXPECT_NEAR(horizontalDistance(where(*cook), start), GetParam().unitsPerSecond, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Keys, CookWalking,
                         testing::Values(WalkCase{{GLFW_KEY_W}, 9.0f}, WalkCase{{GLFW_KEY_S}, 9.0f},
                                         WalkCase{{GLFW_KEY_W, GLFW_KEY_LEFT_SHIFT}, 13.5f},
                                         WalkCase{{GLFW_KEY_W, GLFW_KEY_S}, 0.0f},
                                         WalkCase{{GLFW_KEY_LEFT_SHIFT}, 0.0f}),
                         [](const testing::TestParamInfo<WalkCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST_F(Cook, TurnsFourRadiansPerSecondAndKeepsYawInOneTurn) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
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

TEST_F(Cook, HoldingAAndDTogetherDoesNotTurn) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
    const float yaw = cook->yaw;
    const glm::vec3 facing = glm::vec3(cook->modelMatrix[2]);
    cook->keys[GLFW_KEY_A] = cook->keys[GLFW_KEY_D] = true;
    for (int i = 0; i < 30; ++i) {
        cook->update(frame);
    }
    EXPECT_NEAR(cook->yaw, yaw, 1e-4);
    EXPECT_NEAR(glm::length(glm::vec3(cook->modelMatrix[2]) - facing), 0.0f, 1e-4);
}

TEST_F(Cook, AJumpGoesUpAndLandsAgain) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
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

TEST_F(Cook, WalkingIntoACliffWalksBackAndSettles) {
    // Flat up to z = 0, then 8 units up within one 2-unit cell.
    auto terrain = world.make(128, 128, [](int row, int) { return row < 64 ? 0 : 255; });
    auto cook = standingCook(terrain.get()); // at the origin, facing -z
    cook->keys[GLFW_KEY_S] = true;           // backwards is +z, into the cliff

    bool blocked = false, settled = false;
    for (int i = 0; i < 1200 && !settled; ++i) {
        cook->update(frame);
        blocked = blocked || cook->blocked;
        settled = blocked && !cook->blocked;
        const glm::vec3 p = where(*cook);
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    }
    EXPECT_TRUE(blocked) << "the cliff was never detected";
    EXPECT_TRUE(settled) << "the cook never got out of the replay";
    EXPECT_TRUE(cook->transformHistory.size() <= 1 && cook->yawHistory.size() <= 1);
    const glm::vec3 p = where(*cook);
    EXPECT_LT(p.z, 2.0f) << "he should not stand on the cliff";
}

TEST_F(Cook, AlignsToTheCameraOnlyWhileWalking) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
    const glm::mat4 before = cook->modelMatrix;
    EXPECT_EQ(cook->alignToCamera(0.5f), 0.5f);
    EXPECT_EQ(cook->modelMatrix, before);

    cook->keys[GLFW_KEY_W] = true;
    const float yaw = cook->yaw;
    EXPECT_EQ(cook->alignToCamera(0.5f), 0.0f);
    EXPECT_NEAR(cook->yaw, pizzeria::scene::wrapAngle(yaw - 0.5f), 1e-5);
}
