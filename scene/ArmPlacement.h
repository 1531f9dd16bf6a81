#pragma once

#include "scene/Angles.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat4x4.hpp>

#include <cmath>

namespace pizzeria::scene {

// Where an arm hangs: at shoulder height 1.15, `radius` from the body's axis
// in the direction parentYaw + angle. The offset acts in world axes, so it is
// applied on the left of the parent's transform. Stores the angle and offset.
inline glm::mat4 placeArm(float parentYaw, float angle, float radius,
                          const glm::mat4& parentModelMatrix, float& placeAngle,
                          glm::vec3& offset) {
    placeAngle = wrapAngle(parentYaw + angle);
    offset = glm::vec3(std::sin(placeAngle) * radius, 1.15f, std::cos(placeAngle) * radius);
    return glm::translate(glm::mat4(1.0f), offset) * parentModelMatrix;
}

} // namespace pizzeria::scene
