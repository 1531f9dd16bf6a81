#include "scene/rightArm/RightArm.h"

#include "app/ModelCache.h"
#include "scene/ArmPlacement.h"
#include "scene/bat/Bat.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace pizzeria::scene::rightArm {

namespace {

constexpr int leftMouseButton = 0; // shares the key table's low indices
constexpr float armScale = 0.7f;

} // namespace

RightArm::RightArm(terrain::Terrain* terrain) : MoveAbleObject(terrain) {
    modelKind = 2;
    model = app::getModel(modelKind);
    pitchRatio = std::fabs((restPitch - pitchAtEnd) / (restAngle - swingEnd));
    addChild(new bat::Bat(terrain));
}

MoveAbleObject* RightArm::bat() const {
    return static_cast<MoveAbleObject*>(children.front().get());
}

void RightArm::followParent(float dt, float parentYaw, const glm::mat4& parentModelMatrix) {
    modelMatrix = placeArm(parentYaw, swingAngle, radius, parentModelMatrix, placeAngle, offset);
    if (controlSwing(dt)) {
        modelMatrix = glm::rotate(modelMatrix, swingAngle - restAngle, glm::vec3(0.0f, 1.0f, 0.0f));
    }
    modelMatrix = glm::rotate(modelMatrix, pitch, glm::vec3(1.0f, 0.0f, 0.0f));
    for (SceneObject* child : getChildren()) {
        child->followParent(dt, placeAngle, modelMatrix);
    }
    // Scale the arm alone: the bat has already taken the unscaled transform.
    for (int column = 0; column < 3; ++column) {
        modelMatrix[column] *= armScale;
    }
}

bool RightArm::controlSwing(float dt) {
    if (keys[leftMouseButton]) {
        bat()->active = true;
        if (!swingForward && !swingBack) {
            swingForward = true;
        }
    }
    if (!swingForward && !swingBack) {
        bat()->active = false;
        return false;
    }
    const float step = dt * swingSpeed;
    if (swingForward) {
        swingAngle += step;
        pitch += step * pitchRatio;
        if (swingAngle >= swingEnd) {
            pitch = pitchAtEnd;
            swingForward = false;
            swingBack = true;
        }
    }
    if (swingBack) {
        swingAngle -= step;
        pitch -= step * pitchRatio;
        if (restAngle >= swingAngle) {
            pitch = restPitch;
            swingAngle = restAngle;
            swingBack = false;
        }
    }
    return true;
}

} // namespace pizzeria::scene::rightArm
