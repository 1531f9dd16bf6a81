#pragma once

#include "scene/SceneObject.h"

namespace pizzeria::scene::skybox {

// The night sky: a huge sphere around the world, turning slowly about the
// world's vertical axis.
class SkyBox : public SceneObject {
public:
    SkyBox();

    // Turns the sky by 0.01 radians per second of `dt`.
    void update(float dt) override;
};

} // namespace pizzeria::scene::skybox
