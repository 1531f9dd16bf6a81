// The cook under keyboard control: walking, running, turning and jumping.
#include "scene/Angles.h"
#include "tests/scene/CookFixture.h"

#include <GLFW/glfw3.h>

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>

using pizzeria::scene::twoPi;
using scenetest::CookTest;
using scenetest::where;

// Walking and running both ways; opposite keys, or Shift alone, stand still.
TEST_F(CookTest, CoversItsSpeedInOneSecond) {
    const struct {
        std::vector<int> keys;
        float unitsPerSecond;
    } cases[] = {{{GLFW_KEY_W}, 9.0f},
                 {{GLFW_KEY_S}, 9.0f},
                 {{GLFW_KEY_W, GLFW_KEY_LEFT_SHIFT}, 13.5f},
                 {{GLFW_KEY_W, GLFW_KEY_S}, 0.0f},
                 {{GLFW_KEY_LEFT_SHIFT}, 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keys.size() << " keys, " << c.unitsPerSecond);
        cook->keys = {};
        for (int key : c.keys) {
            cook->keys[std::size_t(key)] = true;
        }
        const glm::vec3 start = where(*cook);
        for (int i = 0; i < 60; ++i) {
            cook->update(frame);
        }
        const glm::vec3 moved = where(*cook) - start;
        EXPECT_NEAR(glm::length(glm::vec2(moved.x, moved.z)), c.unitsPerSecond, 1e-3);
    }
}

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
    EXPECT_FLOAT_EQ(where(*cook).y, ground) << "back on the ground, not in it";
}

// The steepest rise of the game's own map, run up at full speed from below:
// the cook stays on the surface, whether he climbs it or the obstacle
// response turns him back.
TEST_F(CookTest, RunningUpTheSteepestSlopeOfTheMapKeepsHimOnTheSurface) {
    pizzeria::scene::terrain::Terrain map; // the run folder's heightmap
    const auto& h = map.heights;
    const int n = int(std::min(h.size(), h.front().size()));
    float steepest = 0.0f;
    glm::ivec2 cell(0);
    glm::vec2 uphill(0.0f);
    for (int r = 1; r + 1 < n; ++r) {
        for (int c = 1; c + 1 < n; ++c) {
            const glm::vec2 rise(h[r][c + 1] - h[r][c], h[r + 1][c] - h[r][c]);
            if (glm::length(rise) > steepest) {
                steepest = glm::length(rise);
                cell = {c, r};
                uphill = glm::normalize(rise);
            }
        }
    }
    const float spacing = map.size / float(n - 1);
    const glm::vec2 top(-map.size / 2 + float(cell.x) * spacing,
                        -map.size / 2 + float(cell.y) * spacing);
    const glm::vec2 start = top - uphill * 12.0f;
    const float heading = std::atan2(uphill.x, uphill.y); // turns the cook's +z onto `uphill`

    pizzeria::scene::maincharacter::MainCharacter climber(
        const_cast<pizzeria::scene::terrain::Terrain*>(&map));
    climber.modelMatrix =
        glm::rotate(glm::translate(glm::mat4(1.0f),
                                   glm::vec3(start.x, map.heightAt(start.x, start.y), start.y)),
                    heading, glm::vec3(0, 1, 0));
    climber.yaw = pizzeria::scene::wrapAngle(heading);
    climber.keys[GLFW_KEY_W] = climber.keys[GLFW_KEY_LEFT_SHIFT] = true;
    for (int i = 0; i < 5 * 60; ++i) {
        climber.update(frame);
        const glm::vec3 feet = where(climber);
        const float ground = map.heightAt(feet.x, feet.z);
        ASSERT_GE(feet.y, ground - 1e-3f) << "in the hill at step " << i;
        if (!climber.inAir && climber.verticalSpeed == 0.0f) {
            ASSERT_LE(feet.y, ground + 0.2f) << "above the slope at step " << i;
        }
        ASSERT_NEAR(climber.position.y, feet.y, 1e-4f) << "position lags at step " << i;
    }
    EXPECT_GT(steepest, 0.5f) << "a map this flat tests nothing";
}
