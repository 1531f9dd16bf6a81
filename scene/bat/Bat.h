#pragma once

#include "scene/MoveAbleObject.h"

namespace pizzeria::scene::bat {

// The nail bat in the cook's right hand; while it swings it knocks over
// every ingredient and enemy it touches.
class Bat : public MoveAbleObject {
public:
    explicit Bat(terrain::Terrain* terrain);

    // Follows the hand; takes part in collisions while active.
    void followParent(float dt, float parentYaw, const glm::mat4& parentModelMatrix) override;

    // Hits an enemy or an ingredient, saying so on the console.
    void onCollision(SceneObject* other) override;

    float tilt = 1.5707964f;
};

} // namespace pizzeria::scene::bat
