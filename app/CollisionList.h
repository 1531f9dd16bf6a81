#pragma once

#include <array>

namespace pizzeria::scene {
class SceneObject;
}

namespace pizzeria::app {

constexpr int collisionListSize = 200;

// Objects that may collide this frame, in the order they registered. Emptied
// at the start of every frame's update; read by the periodic check.
extern std::array<scene::SceneObject*, collisionListSize> collisionList;
extern int collisionCount;

// Empties the list (every frame, also while paused).
void clearCollisionList();

// Appends `object`; registrations past the last slot are ignored.
void registerCollision(scene::SceneObject* object);

} // namespace pizzeria::app
