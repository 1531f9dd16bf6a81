#pragma once

#include <glm/vec3.hpp>

namespace pizzeria::assets {

// An axis-aligned box given by its minimum and maximum corners.
struct BoundingBox {
    glm::vec3 min{0.0f};
    glm::vec3 max{0.0f};
};

} // namespace pizzeria::assets
