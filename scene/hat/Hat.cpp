#include "scene/hat/Hat.h"

#include "app/ModelCache.h"
#include "scene/Angles.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace pizzeria::scene::hat {

Hat::Hat(terrain::Terrain* terrain) : MoveAbleObject(terrain) {
    modelKind = 4;
    model = app::getModel(modelKind);
}

void Hat::followParent(float dt, float /*parentYaw*/, const glm::mat4& parentModelMatrix) {
    offset = glm::vec3(0.0f, hatHeight, 0.0f);
    const glm::mat4 onHead = glm::translate(glm::mat4(1.0f), offset) * parentModelMatrix;
    if (!hurt) {
        modelMatrix = onHead;
        return;
    }
    hurtTimer += dt;
    const float s = float(std::sin(double(hurtTimer) * 1.5));
    glm::mat4 flying = glm::translate(onHead, glm::vec3(0.0f, std::fabs(s) * 3.0f, 0.0f));
    if (s > 0.25f) {
        spin += dt;
        flying = glm::rotate(flying, spin * pi * 2.25f, glm::vec3(-1.0f, 0.0f, 0.0f));
    } else {
        spin = 0.0f;
    }
    if (s < 0.0f) {
        hurtTimer = 0.0f; // landed back on the head
        hurt = false;
    }
    modelMatrix = flying;
}

} // namespace pizzeria::scene::hat
