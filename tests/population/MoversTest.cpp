// One ingredient or enemy on its own: wandering, the party dance, chasing.
#include "scene/enemies/Gangster.h"
#include "scene/ingridients/Ingredients.h"
#include "tests/population/PopulationFixture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

using namespace pizzeria;
using poptest::frame;
using poptest::where;

namespace {

using Movers = poptest::World;

bool finite(const glm::mat4& m) {
    return std::isfinite(m[0][0] + m[1][1] + m[2][2] + m[3][0] + m[3][1] + m[3][2]);
}

// Standing still on the ground at the origin.
template <typename T> std::unique_ptr<T> grounded(scene::terrain::Terrain* terrain) {
    auto object = std::make_unique<T>(terrain);
    object->groundHeight = terrain->heightAt(0.0f, 0.0f);
    object->modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(0, object->groundHeight, 0));
    object->position = where(*object);
    return object;
}

} // namespace

TEST_F(Movers, IngredientsWanderOnTheGroundAndRegisterWhileActive) {
    scene::ingridients::Egg egg(terrain.get());
    egg.placeOnTerrain();
    for (int i = 0; i < 900; ++i) {
        app::clearCollisionList();
        egg.update(frame);
        ASSERT_EQ(app::collisionCount, 1);
    }
    const glm::vec3 p = where(egg);
    EXPECT_NEAR(p.y, terrain->heightAt(p.x, p.z), 0.5f);
    EXPECT_GT(glm::distance(glm::vec2(p.x, p.z), glm::vec2(-55.0f, -65.0f)), 5.0f);
    egg.hit();
    app::clearCollisionList();
    egg.update(frame);
    EXPECT_EQ(app::collisionCount, 0);
}

TEST_F(Movers, TheDanceSpinsAndHopsUnderStrongGravityFromItsSecondFrame) {
    auto corn = grounded<scene::ingridients::Corn>(terrain.get());
    sound::partyMode = true;
    corn->update(frame);
    EXPECT_FLOAT_EQ(corn->verticalSpeed, corn->jumpSpeed - 30.0f * frame);
    EXPECT_GT(where(*corn).y, corn->groundHeight);
    EXPECT_NEAR(std::atan2(corn->modelMatrix[2][0], corn->modelMatrix[0][0]), 4.0f * frame, 1e-5);
    EXPECT_TRUE(corn->transformHistory.empty()) << "the dance records no history";

    // Party frame, normal frame, and a muted party frame, which is normal play.
    const std::vector<std::tuple<bool, bool, float>> frames = {
        {true, false, -62.0f}, {false, false, -30.0f}, {true, true, -30.0f}};
    for (const auto& [party, muted, gravity] : frames) {
        sound::partyMode = party;
        sound::soundMuted = muted;
        const float before = corn->verticalSpeed;
        corn->update(frame);
        EXPECT_NEAR(corn->verticalSpeed - before, gravity * frame, 1e-4) << party << muted;
    }
}

// An ingredient in the middle of its obstacle response when the party starts
// used to fall through the ground for the whole dance.
TEST_F(Movers, ABlockedIngredientDancesOnTheGroundAndWandersAgainAfterTheParty) {
    auto pepper = grounded<scene::ingridients::Pepper>(terrain.get());
    pepper->blocked = pepper->climbing = true; // as the wall test leaves it
    sound::partyMode = true;
    const float ground = pepper->groundHeight;
    int landings = 0;
    for (int i = 0; i < 300; ++i) {
        pepper->update(frame);
        const float y = where(*pepper).y;
        ASSERT_GE(y, ground) << "frame " << i;
        ASSERT_LT(y, ground + 6.0f) << "frame " << i;
        landings += y == ground ? 1 : 0;
    }
    EXPECT_GT(landings, 3) << "hops and comes down again";
    sound::partyMode = false;
    pepper->update(frame);
    EXPECT_FALSE(pepper->blocked || pepper->climbing);
    EXPECT_EQ(pepper->transformHistory.size(), 1u) << "wanders again at once";
    EXPECT_TRUE(finite(pepper->modelMatrix));
}

TEST_F(Movers, EnemiesStepTowardTheirTargetAtTheirSpeed) {
    for (glm::vec3 target : {glm::vec3(9, 0, 0), glm::vec3(0, 0, -40), glm::vec3(3, 4, 12)}) {
        scene::enemies::Gangster gangster(terrain.get());
        gangster.target = target;
        gangster.move(frame);
        EXPECT_NEAR(glm::distance(where(gangster), glm::normalize(target) * 0.15f), 0.0f, 1e-5);
        EXPECT_NEAR(glm::dot(gangster.direction, glm::normalize(target)), 1.0f, 1e-5);
    }
}

TEST_F(Movers, AnEnemyStandingOnItsTargetStaysFinite) {
    auto gangster = grounded<scene::enemies::Gangster>(terrain.get());
    const glm::mat4 start = gangster->modelMatrix;
    gangster->target = where(*gangster);
    gangster->move(frame);
    EXPECT_EQ(gangster->modelMatrix, start);
    for (int i = 0; i < 30; ++i) {
        gangster->target = where(*gangster);
        gangster->update(frame);
    }
    EXPECT_TRUE(finite(gangster->modelMatrix) && std::isfinite(gangster->direction.x));
    EXPECT_NEAR(where(*gangster).x, 0.0f, 1e-5);
}
