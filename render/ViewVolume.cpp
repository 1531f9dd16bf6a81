#include "render/ViewVolume.h"

#include "assets/Model.h"

namespace pizzeria::render {

bool ViewVolume::maySee(const assets::Model& model, const glm::mat4& modelMatrix) const {
    if (model.boundingMeshes.empty()) {
        return true;
    }
    // The six sides as homogeneous planes, so corners behind a perspective
    // eye (w < 0) are judged right too.
    const glm::vec4 sides[6] = {{1, 0, 0, -low.x},  {-1, 0, 0, high.x}, {0, 1, 0, -low.y},
                                {0, -1, 0, high.y}, {0, 0, 1, 1},       {0, 0, -1, 1}};
    const glm::mat4 toClip = clip * modelMatrix;
    unsigned outsideAll = 0x3f;
    for (const auto& box : model.boundingMeshes) {
        for (const glm::vec3& corner : box->corners()) {
            const glm::vec4 p = toClip * glm::vec4(corner, 1.0f);
            unsigned outside = 0;
            for (unsigned side = 0; side < 6; ++side) {
                if (glm::dot(sides[side], p) < 0.0f) {
                    outside |= 1u << side;
                }
            }
            outsideAll &= outside;
            if (outsideAll == 0) {
                return true;
            }
        }
    }
    return outsideAll == 0;
}

} // namespace pizzeria::render
