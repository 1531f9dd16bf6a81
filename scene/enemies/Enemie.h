#pragma once

#include "scene/MoveAbleObject.h"

#include <glm/vec3.hpp>

namespace pizzeria::scene::enemies {

// Chases its target (the cook's position) and hurts the cook at every second
// collision check that sees them touching.
class Enemie : public MoveAbleObject {
public:
    // An enemy on `terrain`, not yet placed and without a model.
    explicit Enemie(terrain::Terrain* terrain);

    // The standard step, then registers for collisions while active.
    void update(float dt) override;

    // Steps toward `target` at `speed`, in the enemy's own axes, and stops
    // `stopDistance` short of it across the ground.
    void move(float dt) override;

    // Counts contacts with the cook; every second one costs him a life.
    void onCollision(SceneObject* other) override;

    glm::vec3 target{0.0f};
    glm::vec3 direction{0.0f};
    int contactCount = 0;
    static constexpr float stopDistance = 0.8f; // the cook's side: their boxes still touch
};

} // namespace pizzeria::scene::enemies
