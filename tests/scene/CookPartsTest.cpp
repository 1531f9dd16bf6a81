// The cook's parts: the bat swing on the left mouse button, the hit that
// reaches every part, and the hat that flies off and comes back.
#include "scene/bat/Bat.h"
#include "scene/hat/Hat.h"
#include "scene/rightArm/RightArm.h"
#include "tests/scene/CookFixture.h"

#include <cmath>

using pizzeria::scene::MoveAbleObject;
using pizzeria::scene::hat::Hat;
using pizzeria::scene::rightArm::RightArm;
using scenetest::where;

namespace {

class CookParts : public scenetest::CookTest {
protected:
    template <typename Part> Part* part(pizzeria::scene::SceneObject& owner) {
        for (auto* child : owner.getChildren()) {
            if (auto* found = dynamic_cast<Part*>(child)) {
                return found;
            }
        }
        return nullptr;
    }
};

constexpr float degrees = 3.14159265f / 180.0f;

} // namespace

TEST_F(CookParts, OnePressSwingsForwardAndBackWithTheBatActiveMeanwhile) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
    RightArm* arm = part<RightArm>(*cook);
    ASSERT_NE(arm, nullptr);
    auto* bat = dynamic_cast<MoveAbleObject*>(arm->getChildren().front());
    ASSERT_NE(bat, nullptr);
    EXPECT_FALSE(bat->active);

    cook->keys[0] = true; // seen by one update only
    cook->update(frame);
    cook->keys[0] = false;
    EXPECT_TRUE(bat->active);

    // The frame that ends the forward swing also takes the first step back.
    const float step = frame * 4.0f;
    float widest = arm->swingAngle;
    bool pitchJumped = false;
    int frames = 1;
    while ((arm->swingForward || arm->swingBack) && frames < 300) {
        const bool wasForward = arm->swingForward;
        cook->update(frame);
        if (wasForward && arm->swingBack) {
            pitchJumped = std::fabs(arm->pitch - (-70.0f * degrees - step * 2.0f)) < 1e-4;
        }
        widest = std::max(widest, arm->swingAngle);
        EXPECT_TRUE(bat->active) << "the bat is dangerous all through the swing";
        ++frames;
    }
    EXPECT_GE(widest, -35.0f * degrees - step - 1e-4f);
    EXPECT_TRUE(pitchJumped) << "the pitch must jump to -70 degrees when the forward swing ends";
    // 55 degrees forward and back at 4 radians per second: about half a second.
    EXPECT_NEAR(frames * frame, 2.0f * 55.0f * degrees / 4.0f, 3.0f * frame);
    EXPECT_FLOAT_EQ(arm->swingAngle, arm->restAngle);
    EXPECT_FLOAT_EQ(arm->pitch, arm->restPitch);
    cook->update(frame); // idle with the button up: the bat is put away
    EXPECT_FALSE(bat->active);
}

TEST_F(CookParts, HoldingTheButtonKeepsTheBatActiveAfterTheSwing) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
    RightArm* arm = part<RightArm>(*cook);
    auto* bat = dynamic_cast<MoveAbleObject*>(arm->getChildren().front());
    cook->keys[0] = true;
    for (int i = 0; i < 120; ++i) {
        cook->update(frame);
        EXPECT_TRUE(bat->active);
    }
}

TEST_F(CookParts, AHitCostsEveryPartALifeAndTheHatFliesAndReturns) {
    auto terrain = world.make(8, 8, [](int, int) { return 40; });
    auto cook = standingCook(terrain.get());
    Hat* hat = part<Hat>(*cook);
    ASSERT_NE(hat, nullptr);
    const float restingHeight = where(*hat).y;

    cook->hit();
    EXPECT_EQ(cook->lives, 2);
    for (auto* child : cook->getChildren()) {
        EXPECT_TRUE(static_cast<MoveAbleObject*>(child)->hurt);
    }

    float highest = restingHeight;
    float flying = 0.0f;
    while (hat->hurt && flying < 5.0f) {
        cook->update(frame);
        highest = std::max(highest, where(*hat).y);
        flying += frame;
    }
    EXPECT_NEAR(highest - restingHeight, 3.0f, 0.05f);
    EXPECT_NEAR(flying, 3.14159265f / 1.5f, 2.0f * frame); // sin(1.5 t) turns negative
    cook->update(frame);
    EXPECT_NEAR(where(*hat).y, restingHeight, 1e-3) << "back on the head";
}
