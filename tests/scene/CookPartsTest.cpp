// The cook's parts as the game places them: the arms and the hat on the body,
// and the bat on the left mouse button, in the hand and in collisions while
// the arm swings, and only then.
#include "app/CollisionChecker.h"
#include "app/CollisionList.h"
#include "scene/bat/Bat.h"
#include "scene/rightArm/RightArm.h"
#include "tests/scene/CookFixture.h"

#include <algorithm>

using pizzeria::app::CollisionChecker;
using pizzeria::scene::SceneObject;
using pizzeria::scene::bat::Bat;
using pizzeria::scene::rightArm::RightArm;

namespace {

class BatSwing : public scenetest::CookTest {
protected:
    // One frame of the game: the list is emptied, then everything registers.
    bool batRegisteredAfterAFrame() {
        pizzeria::app::clearCollisionList();
        cook->update(frame);
        const auto end = pizzeria::app::collisionList.begin() + pizzeria::app::collisionCount;
        return std::find(pizzeria::app::collisionList.begin(), end, bat) != end;
    }

    void SetUp() override {
        CookTest::SetUp();
        for (auto* child : cook->getChildren()) {
            arm = arm ? arm : dynamic_cast<RightArm*>(child);
        }
        ASSERT_NE(arm, nullptr);
        bat = dynamic_cast<Bat*>(arm->getChildren().front());
        ASSERT_NE(bat, nullptr);
    }

    RightArm* arm = nullptr;
    Bat* bat = nullptr;
};

} // namespace

TEST_F(BatSwing, OnePressSwingsForwardAndBackWithTheBatInCollisionsMeanwhile) {
    const auto parts = cook->getChildren();
    ASSERT_EQ(parts.size(), 3u) << "two arms and the hat";
    for (const SceneObject* part : parts) {
        EXPECT_TRUE(CollisionChecker::overlap(*part, *cook)) << "a part apart from the body";
    }
    EXPECT_FALSE(batRegisteredAfterAFrame()) << "a resting bat hits nothing";

    cook->keys[0] = true; // seen by one update only
    EXPECT_TRUE(batRegisteredAfterAFrame());
    cook->keys[0] = false;
    EXPECT_TRUE(arm->swingForward);

    bool wentBack = false;
    int frames = 1;
    while ((arm->swingForward || arm->swingBack) && frames < 300) {
        wentBack = wentBack || arm->swingBack;
        EXPECT_TRUE(batRegisteredAfterAFrame()) << "the bat is dangerous all through the swing";
        EXPECT_TRUE(CollisionChecker::overlap(*bat, *arm))
            << "the bat left the hand on frame " << frames;
        ++frames;
    }
    EXPECT_TRUE(wentBack);
    // 55 degrees forward and back at 4 radians per second: about half a second.
    EXPECT_NEAR(frames * frame, 2.0f * 55.0f * 3.14159265f / 180.0f / 4.0f, 3.0f * frame);
    EXPECT_FLOAT_EQ(arm->swingAngle, arm->restAngle);
    EXPECT_FALSE(batRegisteredAfterAFrame()) << "the bat is put away with the button up";

    cook->keys[0] = true;
    for (int i = 0; i < 120; ++i) {
        ASSERT_TRUE(batRegisteredAfterAFrame()) << "held, frame " << i;
    }
}
