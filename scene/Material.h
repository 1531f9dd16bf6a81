#pragma once

#include <glm/vec3.hpp>

namespace pizzeria::scene {

// Surface parameters of one scene object, uploaded as "material.*".
struct Material {
    glm::vec3 ambient{1.0f, 1.0f, 1.0f};
    glm::vec3 diffuse{1.0f, 1.0f, 1.0f};
    glm::vec3 specular{0.5f, 0.5f, 0.5f};
    float shininess = 32.0f;
};

} // namespace pizzeria::scene
