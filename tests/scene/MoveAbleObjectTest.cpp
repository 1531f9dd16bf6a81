// Walking objects on small terrains: placement, gravity and landing, the
// wall test and the obstacle response, wandering, hits and the hurt state.
#include "scene/MoveAbleObject.h"
#include "app/SpawnPoints.h"
#include "tests/scene/TerrainFixture.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using pizzeria::app::spawnPointIndex;
using pizzeria::app::spawnPoints;
using pizzeria::scene::MoveAbleObject;
using pizzeria::scene::SceneObject;

namespace {

constexpr float frame = 1.0f / 60.0f;

glm::vec3 where(const SceneObject& object) {
    return glm::vec3(object.modelMatrix[3]);
}

// Walks straight ahead along its own z at its speed instead of wandering.
class Walker : public MoveAbleObject {
public:
    using MoveAbleObject::MoveAbleObject;
    void move(float dt) override {
        modelMatrix = glm::translate(modelMatrix, glm::vec3(0.0f, 0.0f, speed * dt));
    }
};

class Walking : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.context.ok()) << "needs a display"; }
    scenetest::TerrainWorld world;
};

} // namespace

TEST_F(Walking, PlacementDropsFromTenAboveTheGroundAtTheNextSpawnPoint) {
    auto terrain = world.make(8, 8, [](int, int) { return 64; }); // flat, 2 units high
    spawnPointIndex = 12;
    for (int expected : {12, 13, 0}) {
        MoveAbleObject enemy(terrain.get());
        enemy.type = SceneObject::EnemyType;
        enemy.placeOnTerrain();
        const glm::vec3 p = where(enemy);
        EXPECT_FLOAT_EQ(p.x, spawnPoints[expected].x);
        EXPECT_FLOAT_EQ(p.z, spawnPoints[expected].z);
        EXPECT_NEAR(p.y, terrain->heightAt(0.0f, 0.0f) + 10.0f, 1e-4);
    }
    EXPECT_EQ(spawnPointIndex % 14, 1);
}

TEST_F(Walking, TheCookIsPlacedWhereHeStandsAndTakesNoSpawnPoint) {
    auto terrain = world.make(8, 8, [](int, int) { return 64; });
    spawnPointIndex = 5;
    MoveAbleObject cook(terrain.get());
    cook.type = SceneObject::MainCharacterType;
    cook.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(3.0f, 0.0f, -4.0f));
    cook.placeOnTerrain();
    EXPECT_EQ(spawnPointIndex, 5);
    EXPECT_NEAR(where(cook).x, 3.0f, 1e-5);
    EXPECT_NEAR(where(cook).y, terrain->heightAt(3.0f, -4.0f) + 10.0f, 1e-4);
}

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

TEST_F(Walking, JumpStartsOnlyFromTheGround) {
    auto terrain = world.make(8, 8, [](int, int) { return 0; });
    MoveAbleObject jumper(terrain.get());
    jumper.stepPhysics(frame);
    jumper.land(frame);
    jumper.tryJump();
    EXPECT_TRUE(jumper.inAir);
    EXPECT_EQ(jumper.verticalSpeed, jumper.jumpSpeed);

    jumper.stepPhysics(frame);
    jumper.stepPhysics(frame);
    const float speed = jumper.verticalSpeed;
    jumper.tryJump(); // in the air: no second jump
    EXPECT_EQ(jumper.verticalSpeed, speed);
}

TEST_F(Walking, HistoryKeepsTheFiftyNewestTransforms) {
    auto terrain = world.make(4, 4, [](int, int) { return 0; });
    MoveAbleObject object(terrain.get());
    for (int i = 0; i < 51; ++i) {
        object.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(float(i), 0.0f, 0.0f));
        object.recordTransform();
    }
    ASSERT_EQ(object.transformHistory.size(), 50u);
    EXPECT_EQ(object.transformHistory.front()[3].x, 50.0f);
    EXPECT_EQ(object.transformHistory.back()[3].x, 1.0f); // 0 was dropped
}

TEST_F(Walking, WanderingAlternatesTurnsAndWalksOfBoundedLength) {
    auto terrain = world.make(4, 4, [](int, int) { return 0; });
    MoveAbleObject wanderer(terrain.get());
    std::srand(7);
    std::vector<std::pair<bool, int>> phases; // (walking, frames)
    for (int i = 0; i < 6000; ++i) {
        const glm::mat4 before = wanderer.modelMatrix;
        wanderer.move(frame);
        if (phases.empty() || phases.back().first != wanderer.walking) {
            phases.push_back({wanderer.walking, 0});
        }
        ++phases.back().second;
        const glm::vec3 step = where(wanderer) - glm::vec3(before[3]);
        if (wanderer.walking) {
            EXPECT_NEAR(glm::length(step), 4.0f * frame, 1e-5);
        } else {
            EXPECT_NEAR(glm::length(step), 0.0f, 1e-6);
        }
    }
    ASSERT_GT(phases.size(), 10u);
    EXPECT_FALSE(phases.front().first) << "a fresh object starts by turning";
    for (std::size_t i = 1; i + 1 < phases.size(); ++i) { // the last phase is cut off
        if (phases[i].first) {
            EXPECT_GE(phases[i].second, 200);
            EXPECT_LE(phases[i].second, 399);
        } else {
            EXPECT_GE(phases[i].second, 1);
            EXPECT_LE(phases[i].second, 199);
        }
    }
}

TEST_F(Walking, LastLifeLostShrinksForTwoSecondsAndStaysInactive) {
    auto terrain = world.make(4, 4, [](int, int) { return 0; });
    MoveAbleObject victim(terrain.get());
    victim.hit();
    EXPECT_EQ(victim.lives, 0);
    EXPECT_TRUE(victim.hurt);
    EXPECT_FALSE(victim.active);
    EXPECT_FLOAT_EQ(victim.hurtTimer, 1e-7f);

    float scale = 1.0f;
    float elapsed = 0.0f;
    while (victim.stepHurt(frame)) {
        elapsed += frame;
        const float s = 1.0f - victim.hurtTimer * 0.1f;
        scale *= s;
        EXPECT_NEAR(glm::length(glm::vec3(victim.modelMatrix[0])), scale, 1e-4);
        ASSERT_LT(elapsed, 3.0f);
    }
    EXPECT_NEAR(elapsed, 2.0f, 2 * frame);
    EXPECT_FALSE(victim.hurt);
    EXPECT_EQ(victim.hurtTimer, 0.0f);
    EXPECT_FALSE(victim.active) << "no lives left: never active again";
}

TEST_F(Walking, HitWithLivesLeftRevivesWithoutShrinking) {
    auto terrain = world.make(4, 4, [](int, int) { return 0; });
    MoveAbleObject tough(terrain.get());
    tough.lives = 3;
    tough.hit();
    while (tough.stepHurt(frame)) {
    }
    EXPECT_EQ(tough.lives, 2);
    EXPECT_TRUE(tough.active);
    EXPECT_NEAR(glm::length(glm::vec3(tough.modelMatrix[0])), 1.0f, 1e-6);
}

TEST_F(Walking, HitReachesEveryAttachedPart) {
    auto terrain = world.make(4, 4, [](int, int) { return 0; });
    MoveAbleObject body(terrain.get());
    auto* arm = new MoveAbleObject(terrain.get());
    auto* bat = new MoveAbleObject(terrain.get());
    body.addChild(arm);
    arm->addChild(bat);
    body.addChild(new SceneObject()); // a part that cannot be hurt is skipped
    body.lives = arm->lives = bat->lives = 2;

    body.hit();
    for (const MoveAbleObject* part : {&body, arm, bat}) {
        EXPECT_EQ(part->lives, 1);
        EXPECT_TRUE(part->hurt);
        EXPECT_FALSE(part->active);
    }
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
        const glm::vec3 p = where(walker);
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
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
