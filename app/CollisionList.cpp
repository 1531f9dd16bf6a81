#include "app/CollisionList.h"

namespace pizzeria::app {

std::array<scene::SceneObject*, collisionListSize> collisionList{};
int collisionCount = 0;

void clearCollisionList() {
    collisionList.fill(nullptr);
    collisionCount = 0;
}

void registerCollision(scene::SceneObject* object) {
    if (collisionCount >= collisionListSize) {
        return;
    }
    collisionList[std::size_t(collisionCount)] = object;
    ++collisionCount;
}

} // namespace pizzeria::app
