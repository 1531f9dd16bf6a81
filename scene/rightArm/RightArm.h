#pragma once

#include "scene/MoveAbleObject.h"

#include <glm/vec3.hpp>

namespace pizzeria::scene::rightArm {

// The cook's bat arm: a press of the left mouse button swings it forward
// and back, and the bat it holds is dangerous while it swings.
class RightArm : public MoveAbleObject {
public:
    // Creates the arm with its bat.
    explicit RightArm(terrain::Terrain* terrain);

    // Places the arm, runs the swing and moves the bat with it.
    void followParent(float dt, float parentYaw, const glm::mat4& parentModelMatrix) override;

    float restAngle = -1.5707964f;
    float swingAngle = -1.5707964f;
    float placeAngle = 0.0f;
    float restPitch = -3.1415927f;
    float pitch = -3.1415927f;
    float radius = 1.46f;
    glm::vec3 offset{0.0f};
    bool swingForward = false;
    bool swingBack = false;
    float swingSpeed = 4.0f;
    float swingEnd = -0.6108652f;
    float pitchAtEnd = -1.2217305f;
    float pitchRatio = 2.0f;

private:
    // Starts, runs and ends a swing; returns whether the arm is swinging.
    bool controlSwing(float dt);
    MoveAbleObject* bat() const;
};

} // namespace pizzeria::scene::rightArm
