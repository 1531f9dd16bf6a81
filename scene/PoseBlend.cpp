#include "scene/PoseBlend.h"

#include "scene/Angles.h"

#include <glm/gtc/quaternion.hpp>

#include <cmath>

namespace pizzeria::scene {

namespace {

struct Pose {
    glm::vec3 translation;
    glm::vec3 scale;
    glm::quat rotation;
};

// False where the matrix is not a rotation times a positive scale.
bool decompose(const glm::mat4& m, Pose& pose) {
    glm::mat3 axes(m);
    for (int i = 0; i < 3; ++i) {
        pose.scale[i] = glm::length(axes[i]);
        if (!(pose.scale[i] > 1e-6f)) {
            return false;
        }
        axes[i] /= pose.scale[i];
    }
    if (glm::determinant(axes) < 0.0f) {
        return false;
    }
    pose.translation = glm::vec3(m[3]);
    pose.rotation = glm::quat_cast(axes);
    return true;
}

} // namespace

glm::mat4 betweenPoses(const glm::mat4& from, const glm::mat4& to, float share) {
    if (share >= 1.0f) {
        return to;
    }
    if (share <= 0.0f) {
        return from;
    }
    Pose a{};
    Pose b{};
    if (!decompose(from, a) || !decompose(to, b)) {
        return to;
    }
    // slerp takes the shorter arc itself.
    const glm::mat3 axes = glm::mat3_cast(glm::slerp(a.rotation, b.rotation, share));
    const glm::vec3 scale = glm::mix(a.scale, b.scale, share);
    glm::mat4 result(1.0f);
    for (int i = 0; i < 3; ++i) {
        result[i] = glm::vec4(axes[i] * scale[i], 0.0f);
    }
    result[3] = glm::vec4(glm::mix(a.translation, b.translation, share), 1.0f);
    return result;
}

float shorterTurn(float angle) {
    const float wrapped = wrapAngle(angle);
    return wrapped > pi ? wrapped - twoPi : wrapped;
}

} // namespace pizzeria::scene
