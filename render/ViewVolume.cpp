#include "render/ViewVolume.h"

#include "assets/Model.h"

#include <algorithm>
#include <array>

namespace pizzeria::render {

namespace {

// Bit i set: the point lies outside side i.
unsigned outsideSides(const ViewVolume& volume, const glm::vec4& p) {
    // The six sides as homogeneous planes, so corners behind a perspective
    // eye (w < 0) are judged right too.
    const glm::vec4 sides[6] = {{1, 0, 0, -volume.low.x},
                                {-1, 0, 0, volume.high.x},
                                {0, 1, 0, -volume.low.y},
                                {0, -1, 0, volume.high.y},
                                {0, 0, 1, 1},
                                {0, 0, -1, 1}};
    unsigned outside = 0;
    for (unsigned side = 0; side < 6; ++side) {
        if (glm::dot(sides[side], p) < 0.0f) {
            outside |= 1u << side;
        }
    }
    return outside;
}

// False only when every one of `corners` under `toClip` lies outside one
// and the same side of the volume.
template <typename Corners>
bool anyInside(const ViewVolume& volume, const glm::mat4& toClip, const Corners& corners) {
    unsigned outsideAll = 0x3f;
    for (const glm::vec3& corner : corners) {
        outsideAll &= outsideSides(volume, toClip * glm::vec4(corner, 1.0f));
        if (outsideAll == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

bool ViewVolume::maySee(const assets::Model& model, const glm::mat4& modelMatrix) const {
    if (model.boundingMeshes.empty()) {
        return true;
    }
    const glm::mat4 toClip = clip * modelMatrix;
    return std::any_of(model.boundingMeshes.begin(), model.boundingMeshes.end(),
                       [&](const auto& box) { return anyInside(*this, toClip, box->corners()); });
}

bool ViewVolume::maySee(const glm::vec3& low, const glm::vec3& high,
                        const glm::mat4& modelMatrix) const {
    std::array<glm::vec3, 8> corners;
    for (int i = 0; i < 8; ++i) {
        corners[std::size_t(i)] = {i & 1 ? high.x : low.x, i & 2 ? high.y : low.y,
                                   i & 4 ? high.z : low.z};
    }
    return anyInside(*this, clip * modelMatrix, corners);
}

} // namespace pizzeria::render
