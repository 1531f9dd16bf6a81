// Walking objects on small terrains: gravity and landing, the wall test and
// the obstacle response.
#include "scene/MoveAbleObject.h"
#include "scene/PoseBlend.h"
#include "tests/scene/TerrainFixture.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using pizzeria::scene::MoveAbleObject;
using pizzeria::scene::SceneObject;
using scenetest::where;

namespace {

// Walks straight ahead along its own z at its speed instead of wandering.
class Walker : public MoveAbleObject {
public:
    using MoveAbleObject::MoveAbleObject;
    void move(float dt) override {
        modelMatrix = glm::translate(modelMatrix, glm::vec3(0.0f, 0.0f, speed * dt));
    }
};

using Walking = scenetest::SceneTest;

} // namespace

// Steps of any length land on the ground and stop there: one long step used
// to leave the object metres under it.
TEST_F(Walking, FallingObjectLandsOnTheGroundAndStops) {
    auto terrain = world.make(8, 8, [](int, int) { return 128; }); // 4 units high
    const float ground = terrain->heightAt(0.0f, 0.0f);
    for (const float step : {frame, 0.5f}) {
        SCOPED_TRACE(testing::Message() << step << " s steps");
        MoveAbleObject box(terrain.get());
        box.type = SceneObject::MainCharacterType;
        box.placeOnTerrain();
        int steps = 0;
        while (steps < 600 && (steps < 10 || box.verticalSpeed != 0.0f)) {
            box.stepPhysics(step);
            box.land();
            ++steps;
        }
        ASSERT_LT(steps, 600) << "never landed";
        EXPECT_FALSE(box.inAir);
        EXPECT_FLOAT_EQ(where(box).y, ground) << "stands on the ground, not in it or above it";
        EXPECT_FLOAT_EQ(box.position.y, ground) << "position follows the landing";
    }
}

namespace {

// A ramp along z: 2 units of rise per 10 units of run, plus a cliff row.
unsigned char ramp(int row, int) {
    return (unsigned char)(std::min(255, row * 4));
}

} // namespace

TEST_F(Walking, WalkingUphillKeepsTheFeetOnTheSurface) {
    auto terrain = world.make(128, 128, ramp);
    Walker walker(terrain.get());
    walker.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -100.0f));
    walker.placeOnTerrain();
    float lowest = 1e9f;
    for (int i = 0; i < 60 * 20; ++i) {
        walker.defaultUpdate(frame);
        const glm::vec3 p = where(walker);
        lowest = std::min(lowest, p.y - terrain->heightAt(p.x, p.z));
    }
    EXPECT_GE(lowest, -0.001f) << "sank into the slope";
    const glm::vec3 p = where(walker);
    EXPECT_GT(p.z, 0.0f) << "walked up the ramp";
    EXPECT_NEAR(p.y, terrain->heightAt(p.x, p.z), 0.05f);
}

TEST_F(Walking, TheBorderStopsAWalkerOnTheTerrain) {
    auto terrain = world.make(8, 8, [](int, int) { return 64; });
    Walker walker(terrain.get());
    walker.placeOnTerrain();
    for (int i = 0; i < 60 * 30; ++i) { // 180 units: far past the edge at 125
        walker.defaultUpdate(frame);
    }
    const glm::vec3 p = where(walker);
    EXPECT_NEAR(p.z, 125.0f - pizzeria::scene::terrain::Terrain::borderMargin, 1e-3f);
    EXPECT_FLOAT_EQ(p.y, terrain->heightAt(p.x, p.z)) << "still standing on the ground";
    EXPECT_FALSE(walker.blocked);
}

namespace {

// Flat ground of height 0 up to z = 0, then a cliff rising 8 units within
// one 2-unit cell: far steeper than one frame's step can climb.
unsigned char cliff(int row, int) {
    return row < 64 ? 0 : 255;
}

} // namespace

TEST_F(Walking, RunningIntoACliffBlocksAndTheResponseGetsBackToTheGround) {
    auto terrain = world.make(128, 128, cliff);
    Walker walker(terrain.get());
    walker.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, -40.0f));
    walker.placeOnTerrain(); // type 0: straight down where it stands

    bool wasBlocked = false;
    bool recovered = false;
    for (int i = 0; i < 3000 && !recovered; ++i) {
        walker.defaultUpdate(frame);
        for (int k = 0; k < 16; ++k) {
            ASSERT_TRUE(std::isfinite(walker.modelMatrix[k / 4][k % 4])) << "frame " << i;
        }
        const glm::vec3 p = where(walker);
        ASSERT_GE(p.y, terrain->heightAt(p.x, p.z)) << "inside the ground at step " << i;
        wasBlocked = wasBlocked || walker.blocked;
        recovered = wasBlocked && !walker.blocked && !walker.inAir;
    }
    EXPECT_TRUE(wasBlocked) << "the cliff was never detected";
    EXPECT_TRUE(recovered) << "the obstacle response never ended";
}

// Frames between two world steps draw poses blended from the step's start to
// its end: exact at both ends, the rotation the shorter way round.
TEST(PoseBlend, BlendsTranslationScaleAndTheShorterTurn) {
    using pizzeria::scene::betweenPoses;
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const glm::mat4 from = glm::rotate(glm::translate(glm::mat4(1.0f), {0, 0, 0}), 6.0f, up);
    const glm::mat4 to =
        glm::scale(glm::rotate(glm::translate(glm::mat4(1.0f), {2, 4, 0}), 0.4f, up), glm::vec3(3));
    EXPECT_EQ(betweenPoses(from, to, 0.0f), from);
    EXPECT_EQ(betweenPoses(from, to, 1.0f), to);

    const glm::mat4 half = betweenPoses(from, to, 0.5f);
    EXPECT_NEAR(glm::distance(glm::vec3(half[3]), glm::vec3(1, 2, 0)), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(glm::vec3(half[0])), 2.0f, 1e-4f);
    // 6 rad to 0.4 rad is 0.683 rad forward across 2 pi, not 5.6 back.
    const float yaw = std::atan2(half[2].x, half[2].z);
    EXPECT_NEAR(yaw, 6.0f + (0.4f + glm::two_pi<float>() - 6.0f) / 2.0f - glm::two_pi<float>(),
                1e-4f);

    const glm::mat4 mirrored = glm::scale(to, {-1, 1, 1});
    EXPECT_EQ(betweenPoses(from, mirrored, 0.5f), mirrored) << "no blend through a mirror";
    EXPECT_NEAR(pizzeria::scene::shorterTurn(6.0f), 6.0f - glm::two_pi<float>(), 1e-6f);
}
