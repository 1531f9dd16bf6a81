// The frame's collision list: filled in update order, never written past
// its 200 slots, emptied every frame.
#include "app/CollisionList.h"
#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pizzeria;

TEST(CollisionList, KeepsRegistrationOrderAndIgnoresOverflow) {
    app::clearCollisionList();
    std::vector<scene::SceneObject> objects(205);
    for (auto& object : objects) {
        app::registerCollision(&object);
    }
    ASSERT_EQ(app::collisionCount, app::collisionListSize);
    EXPECT_EQ(app::collisionList.front(), &objects[0]);
    EXPECT_EQ(app::collisionList.back(), &objects[199]);

    app::clearCollisionList();
    EXPECT_EQ(app::collisionCount, 0);
    for (auto* slot : app::collisionList) {
        EXPECT_EQ(slot, nullptr);
    }
    app::registerCollision(&objects[4]);
    EXPECT_EQ(app::collisionList[0], &objects[4]);
    EXPECT_EQ(app::collisionCount, 1);
}
