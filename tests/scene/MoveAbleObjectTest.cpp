// Walking objects on small terrains: gravity and landing, the wall test and
// the obstacle response.
#include "scene/MoveAbleObject.h"
#include "tests/scene/TerrainFixture.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

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

TEST_F(Walking, FallingObjectLandsOnTheGroundAndStops) {
    auto terrain = world.make(8, 8, [](int, int) { return 128; }); // 4 units high
    MoveAbleObject box(terrain.get());
    box.type = SceneObject::MainCharacterType;
    box.placeOnTerrain();
    const float ground = terrain->heightAt(0.0f, 0.0f);

    int frames = 0;
    while (frames < 600 && (frames < 10 || box.verticalSpeed != 0.0f)) {
        box.stepPhysics(frame);
        box.land(frame);
        ++frames;
    }
    ASSERT_LT(frames, 600) << "never landed";
    EXPECT_FALSE(box.inAir);
    // land puts it back to the frame before it sank below the ground.
    EXPECT_GE(where(box).y, ground);
    EXPECT_LT(where(box).y, ground + 1.0f);
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
        wasBlocked = wasBlocked || walker.blocked;
        recovered = wasBlocked && !walker.blocked && !walker.inAir;
    }
    EXPECT_TRUE(wasBlocked) << "the cliff was never detected";
    EXPECT_TRUE(recovered) << "the obstacle response never ended";
    const glm::vec3 p = where(walker);
    EXPECT_GE(p.y, terrain->heightAt(p.x, p.z) - walker.groundTolerance)
        << "ended up inside the ground";
}

TEST_F(Walking, WallTestFiresOnlyWhenTheGroundRisesAboveTheObject) {
    auto terrain = world.make(128, 128, cliff);
    MoveAbleObject object(terrain.get());
    object.previousGroundHeight = 0.0f;
    object.groundHeight = 8.0f;
    object.position = {0.0f, 1.0f, 0.0f};
    EXPECT_TRUE(object.hitsWall());
    EXPECT_TRUE(object.blocked);
    EXPECT_TRUE(object.climbing);

    MoveAbleObject flyer(terrain.get());
    flyer.previousGroundHeight = 0.0f;
    flyer.groundHeight = 8.0f;
    flyer.position = {0.0f, 9.0f, 0.0f}; // above the rise: no wall
    EXPECT_FALSE(flyer.hitsWall());
    EXPECT_FALSE(flyer.blocked);
}
