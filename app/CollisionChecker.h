#pragma once

namespace pizzeria::scene {
class SceneObject;
}

namespace pizzeria::app {

// Lets each listed object react to every other listed object whose boxes
// overlap its own: pairs with the swung bat at every step, so that a hit is
// what the player sees, and all other pairs every 30th step.
class CollisionChecker {
public:
    static constexpr int interval = 30;

    // Counts a running step and tests the ordered pairs of the collision list
    // that are due, calling the first object's onCollision with the second.
    // An object knocked out of play during a check (hit, hurt) takes no further
    // part in it, so nothing loses two lives in one check.
    void check();

    // True when some box of `a` and some box of `b` overlap with volume;
    // boxes that only touch do not.
    static bool overlap(const scene::SceneObject& a, const scene::SceneObject& b);

    int frameCounter = 0;
};

} // namespace pizzeria::app
