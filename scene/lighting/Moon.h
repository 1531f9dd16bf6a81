#pragma once

#include "scene/lighting/Light.h"

namespace pizzeria::scene::lighting {

// The night's only light, hanging still beyond the terrain's far corner.
class Moon : public GlobalLight {
public:
    Moon();

    // Uploads "globalLight.position", ".ambient", ".diffuse", ".specular".
    void setUniforms(const render::Shader& shader) const override;
};

} // namespace pizzeria::scene::lighting
