#pragma once

#include "scene/lighting/Light.h"

#include <memory>

namespace pizzeria::scene::lighting {

// The light container: holds the moon, the scene's one light.
class Lights {
public:
    // Creates the moon (loading its model).
    Lights();

    // The first light, drawn and uploaded by the frame render.
    Light* first() const { return light.get(); }

    std::unique_ptr<Light> light;
};

} // namespace pizzeria::scene::lighting
