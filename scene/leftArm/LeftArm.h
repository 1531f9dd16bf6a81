#pragma once

#include "scene/MoveAbleObject.h"

#include <glm/vec3.hpp>

namespace pizzeria::scene::leftArm {

// The cook's free arm: hangs at his side and sways while the party music plays.
class LeftArm : public MoveAbleObject {
public:
    explicit LeftArm(terrain::Terrain* terrain);

    // Places the arm beside the body; sways in party mode unless muted.
    void followParent(float dt, float parentYaw, const glm::mat4& parentModelMatrix) override;

    float angleOffset = -1.5707964f;
    float placeAngle = 0.0f;
    float pitch = -1.5707964f;
    float danceOffset = 0.0f;
    float radius = -1.46f; // the side opposite the right arm
    glm::vec3 offset{0.0f};
    bool danceUp = true;
    bool danceDown = false;
    float danceSpeed = 3.0f;
    float danceMax = 0.3490658f;
    float danceMin = -0.3490658f;

private:
    void stepSway(float dt);
};

} // namespace pizzeria::scene::leftArm
