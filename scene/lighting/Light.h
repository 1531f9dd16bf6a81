#pragma once

#include "scene/SceneObject.h"

#include <glm/vec3.hpp>

namespace pizzeria::scene::lighting {

// A light source placed in the world; it uploads itself into a program.
class Light : public SceneObject {
public:
    // Sets the program's light uniforms; the caller made the program current.
    virtual void setUniforms(const render::Shader& shader) const = 0;

    glm::vec3 ambient{0.0f};
    glm::vec3 diffuse{0.0f};
    glm::vec3 specular{0.0f};
};

// A light that shines on the whole scene: the shaders' "globalLight".
class GlobalLight : public Light {};

} // namespace pizzeria::scene::lighting
