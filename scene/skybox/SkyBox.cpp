#include "scene/skybox/SkyBox.h"

#include "app/ModelCache.h"

#include <glm/gtc/matrix_transform.hpp>

namespace pizzeria::scene::skybox {

namespace {

constexpr float turnRate = 0.01f; // radians per second

} // namespace

SkyBox::SkyBox() {
    type = EnvironmentType;
    modelKind = 7;
    modelMatrix =
        glm::scale(glm::rotate(glm::mat4(1.0f), glm::half_pi<float>(), glm::vec3(1.0f, 0.0f, 0.0f)),
                   glm::vec3(300.0f));
    model = app::getModel(modelKind);
}

void SkyBox::update(float dt) {
    // On the left: the turn is about the world's axis, not the sky's own.
    modelMatrix =
        glm::rotate(glm::mat4(1.0f), dt * turnRate, glm::vec3(0.0f, 1.0f, 0.0f)) * modelMatrix;
}

} // namespace pizzeria::scene::skybox
