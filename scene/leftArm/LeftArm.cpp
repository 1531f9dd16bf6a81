#include "scene/leftArm/LeftArm.h"

#include "app/ModelCache.h"
#include "scene/ArmPlacement.h"
#include "sound/SoundManager.h"

#include <glm/gtc/matrix_transform.hpp>

namespace pizzeria::scene::leftArm {

LeftArm::LeftArm(terrain::Terrain* terrain) : MoveAbleObject(terrain) {
    modelKind = 1;
    model = app::getModel(modelKind);
}

void LeftArm::followParent(float dt, float parentYaw, const glm::mat4& parentModelMatrix) {
    const glm::mat4 placed =
        placeArm(parentYaw, angleOffset, radius, parentModelMatrix, placeAngle, offset);
    modelMatrix =
        glm::scale(glm::rotate(placed, pitch, glm::vec3(1.0f, 0.0f, 0.0f)), glm::vec3(0.7f));
    if (sound::partyMode && !sound::soundMuted) {
        stepSway(dt);
        modelMatrix = glm::translate(modelMatrix, glm::vec3(0.0f, 0.0f, danceOffset));
    }
}

void LeftArm::stepSway(float dt) {
    const float step = dt * danceSpeed;
    if (danceUp) {
        danceOffset += step;
        if (danceOffset >= danceMax) {
            danceOffset = danceMax;
            danceUp = false;
            danceDown = true;
        }
    }
    if (danceDown) {
        danceOffset -= step;
        if (danceMin >= danceOffset) {
            danceOffset = danceMin;
            danceDown = false;
            danceUp = true;
        }
    }
}

} // namespace pizzeria::scene::leftArm
