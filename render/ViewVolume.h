#pragma once

#include <glm/glm.hpp>

namespace pizzeria::assets {
class Model;
}

namespace pizzeria::render {

// What a pass can draw into: the clip space of its matrix, its x and y
// narrowed to [low, high] (a scissored part of the target). Objects wholly
// outside leave no fragment there, so a pass may skip them.
struct ViewVolume {
    glm::mat4 clip{1.0f};
    glm::vec2 low{-1.0f};
    glm::vec2 high{1.0f};
    glm::vec3 from{0.0f}; // where the pass looks from: what is nearer is drawn first

    // False only when every corner of every box of `model` under
    // `modelMatrix` lies outside one and the same side of the volume. A
    // model without boxes (generated geometry) may always be seen.
    bool maySee(const assets::Model& model, const glm::mat4& modelMatrix) const;

    // The same for one box, `low` to `high` in the coordinates of `modelMatrix`.
    bool maySee(const glm::vec3& low, const glm::vec3& high, const glm::mat4& modelMatrix) const;
};

} // namespace pizzeria::render
