#include "app/CollisionChecker.h"

#include "app/CollisionList.h"
#include "scene/MoveAbleObject.h"

#include <algorithm>

namespace pizzeria::app {

namespace {

bool isBat(const scene::SceneObject* object) {
    return object->type == scene::SceneObject::BatType;
}

// Walkers take part while active: not hurt, not knocked out, a bat while swung.
bool inPlay(const scene::MoveAbleObject& object) {
    return object.active;
}

bool boxesOverlap(const assets::BoundingBox& a, const assets::BoundingBox& b) {
    return a.max.x > b.min.x && b.max.x > a.min.x && a.max.y > b.min.y && b.max.y > a.min.y &&
           a.max.z > b.min.z && b.max.z > a.min.z;
}

} // namespace

void CollisionChecker::check() {
    frameCounter += 1;
    const bool everyPairDue = frameCounter >= interval;
    if (everyPairDue) {
        frameCounter = 0;
    }
    const int count = std::min(collisionCount, collisionListSize);
    for (int i = 0; i < count; ++i) {
        // Only walking objects react; everything else ignores collisions.
        auto* reacting = dynamic_cast<scene::MoveAbleObject*>(collisionList[std::size_t(i)]);
        if (reacting == nullptr) {
            continue;
        }
        for (int j = 0; j < count; ++j) {
            auto* other = dynamic_cast<scene::MoveAbleObject*>(collisionList[std::size_t(j)]);
            if (j == i || other == nullptr) {
                continue;
            }
            const bool due = everyPairDue || isBat(reacting) || isBat(other);
            if (due && inPlay(*reacting) && inPlay(*other) && overlap(*reacting, *other)) {
                reacting->onCollision(other);
            }
        }
    }
}

bool CollisionChecker::overlap(const scene::SceneObject& a, const scene::SceneObject& b) {
    const auto boxesOfA = a.boundingBoxes();
    const auto boxesOfB = b.boundingBoxes();
    for (const auto& boxA : boxesOfA) {
        for (const auto& boxB : boxesOfB) {
            if (boxesOverlap(boxA, boxB)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace pizzeria::app
