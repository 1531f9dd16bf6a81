#pragma once

#include "scene/MoveAbleObject.h"

#include <glm/vec3.hpp>

namespace pizzeria::scene::hat {

// The chef's hat: sits on the cook's head, and jumps up and flips when he
// is hit.
class Hat : public MoveAbleObject {
public:
    explicit Hat(terrain::Terrain* terrain);

    // Sits on the head, or flies while the hit's hurt state lasts.
    void followParent(float dt, float parentYaw, const glm::mat4& parentModelMatrix) override;

    float hatHeight = 1.6f;
    glm::vec3 offset{0.0f};
    float spin = 0.0f;
};

} // namespace pizzeria::scene::hat
