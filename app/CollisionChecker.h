#pragma once

namespace pizzeria::scene {
class SceneObject;
}

namespace pizzeria::app {

// Every 30th call, lets each listed object react to every other listed
// object whose boxes overlap its own.
class CollisionChecker {
public:
    static constexpr int interval = 30;

    // Counts a running frame; on every 30th, tests all ordered pairs of the
    // collision list and calls the first object's onCollision with the second.
    void check();

    // True when some box of `a` and some box of `b` overlap with volume;
    // boxes that only touch do not.
    static bool overlap(const scene::SceneObject& a, const scene::SceneObject& b);

    int frameCounter = 0;
};

} // namespace pizzeria::app
