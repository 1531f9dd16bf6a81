// The periodic check: when it runs, which boxes overlap, and the reactions of
// the bat and the enemies it triggers.
#include "app/CollisionChecker.h"
#include "app/ModelCache.h"
#include "assets/BoxMesh.h"
#include "scene/bat/Bat.h"
#include "scene/enemies/Gangster.h"
#include "scene/ingridients/Ingredients.h"
#include "tests/population/PopulationFixture.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

using namespace pizzeria;
using app::CollisionChecker;
using scene::SceneObject;

namespace {

// Objects whose one box is the unit cube around their position.
class Collisions : public poptest::World {
protected:
    void SetUp() override {
        poptest::World::SetUp();
        cube = std::make_unique<assets::Model>(std::vector<assets::Vertex>(3),
                                               std::vector<GLuint>{0, 1, 2}, world.texture);
        cube->boundingMeshes.push_back(assets::makeBoxMesh({glm::vec3(-0.5f), glm::vec3(0.5f)}));
        bat = std::make_unique<scene::bat::Bat>(terrain.get());
    }

    void give(SceneObject& object, glm::vec3 at) {
        object.model = cube.get();
        object.modelMatrix = glm::translate(glm::mat4(1.0f), at);
    }

    // `calls` frames that each register `listed` and call the checker.
    void frames(int calls, const std::vector<SceneObject*>& listed) {
        for (int i = 0; i < calls; ++i) {
            app::clearCollisionList();
            for (SceneObject* object : listed) {
                app::registerCollision(object);
            }
            checker.check();
        }
    }

    std::unique_ptr<assets::Model> cube;
    CollisionChecker checker;
    std::unique_ptr<scene::bat::Bat> bat; // loads its model in the run folder
};

} // namespace

TEST_F(Collisions, BoxesMustShareVolumeToOverlap) {
    SceneObject a;
    SceneObject b;
    give(a, glm::vec3(0.0f));
    const std::vector<std::pair<glm::vec3, bool>> offsets = {
        {{1, 0, 0}, false},       {{0, -1, 0}, false},   {{0, 0, 1}, false},
        {{0.5f, 1.5f, 0}, false}, {{0.99f, 0, 0}, true}, {{0.5f, 0.5f, -0.5f}, true},
        {{0, 0, 0}, true}};
    for (const auto& [offset, expected] : offsets) {
        give(b, offset);
        EXPECT_EQ(CollisionChecker::overlap(a, b), expected) << offset.x << offset.y << offset.z;
        EXPECT_EQ(CollisionChecker::overlap(b, a), expected);
    }
}

// The swung bat is checked at every step, so a swing that passes through an
// ingredient hits it; everything else waits for every 30th step.
TEST_F(Collisions, TheBatIsCheckedAtEveryStepOtherPairsEveryThirtieth) {
    scene::ingridients::Garlic garlic(terrain.get());
    scene::enemies::Gangster gangster(terrain.get());
    scene::MoveAbleObject cook(terrain.get());
    cook.type = SceneObject::MainCharacterType;
    give(*bat, glm::vec3(0.0f));
    give(garlic, glm::vec3(0.2f));
    give(gangster, glm::vec3(20.0f));
    give(cook, glm::vec3(20.5f));
    for (const auto& listed : std::vector<std::vector<SceneObject*>>{{}, {bat.get()}, {&garlic}}) {
        frames(30, listed);
        EXPECT_EQ(checker.frameCounter, 0);
    }
    frames(1, {&gangster, &cook, bat.get(), &garlic});
    EXPECT_EQ(garlic.lives, 0) << "the bat hit at once";
    EXPECT_EQ(gangster.contactCount, 0) << "the enemy waits for the 30th step";
    frames(29, {&gangster, &cook});
    EXPECT_EQ(gangster.contactCount, 1);
}

TEST_F(Collisions, AnEnemyTouchingTheCookAtEverySecondCheckCostsALife) {
    scene::enemies::Gangster gangster(terrain.get());
    scene::MoveAbleObject cook(terrain.get());
    scene::ingridients::Tomato tomato(terrain.get());
    cook.type = SceneObject::MainCharacterType;
    cook.lives = 3;
    give(gangster, glm::vec3(0.0f));
    give(cook, glm::vec3(0.5f, 0.0f, 0.0f));
    give(tomato, glm::vec3(0.0f, 0.5f, 0.0f));
    // Checks every 0.5 s; after a hit the cook is out of play for 2 s.
    const std::vector<std::pair<int, int>> livesAndContacts = {{3, 1}, {2, 0}, {2, 0}, {2, 0},
                                                               {2, 0}, {2, 0}, {2, 1}, {1, 0}};
    for (const auto& [lives, contacts] : livesAndContacts) {
        for (int step = 0; step < CollisionChecker::interval; ++step) {
            cook.stepHurt(1.0f / 60.0f);
            frames(1, {&gangster, &cook, &tomato});
        }
        EXPECT_EQ(cook.lives, lives);
        EXPECT_EQ(gangster.contactCount, contacts);
    }
    EXPECT_EQ(timesPlayed("ouchSound.mp3"), 2);
    EXPECT_EQ(tomato.lives, 1);
}

// A gangster that reaches the cook stops at his side, not inside him, and
// still touches him there, from whichever side he comes.
TEST_F(Collisions, AGangsterStopsAtTheCooksSideStillTouchingHim) {
    scene::MoveAbleObject cook(terrain.get());
    cook.model = app::getModel(0);
    ASSERT_NE(cook.model, nullptr);
    for (int side = 0; side < 8; ++side) {
        SCOPED_TRACE(testing::Message() << "from side " << side);
        const float angle = float(side) * glm::quarter_pi<float>();
        scene::enemies::Gangster gangster(terrain.get());
        give(gangster, 6.0f * glm::vec3(std::sin(angle), 0.0f, std::cos(angle)));
        gangster.model = app::getModel(19); // its own boxes, not the test's cube
        for (int step = 0; step < 120; ++step) {
            gangster.target = glm::vec3(0.0f);
            gangster.move(1.0f / 60.0f);
        }
        const glm::vec3 at(gangster.modelMatrix[3]);
        EXPECT_NEAR(glm::length(glm::vec2(at.x, at.z)), scene::enemies::Enemie::stopDistance,
                    1e-3f);
        EXPECT_TRUE(CollisionChecker::overlap(gangster, cook));
    }
}

TEST_F(Collisions, RegistrationsBeyondTwoHundredAreIgnoredSafely) {
    scene::ingridients::Jalapeno first(terrain.get());
    scene::ingridients::Jalapeno late(terrain.get());
    give(*bat, glm::vec3(0.0f));
    give(first, glm::vec3(0.0f));
    give(late, glm::vec3(0.0f));
    SceneObject filler; // no model, so no boxes
    std::vector<SceneObject*> listed(250, &filler);
    listed.insert(listed.begin(), {bat.get(), &first});
    listed.push_back(&late);
    frames(30, listed);
    EXPECT_EQ(app::collisionCount, app::collisionListSize);
    EXPECT_EQ(first.lives, 0);
    EXPECT_EQ(late.lives, 1);
}
