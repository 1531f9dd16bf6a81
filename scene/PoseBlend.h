#pragma once

#include <glm/mat4x4.hpp>

namespace pizzeria::scene {

// The transform `share` of the way from `from` to `to`: the translation and
// each axis' scale linearly, the rotation along the shorter arc. Share 0 gives
// `from` and 1 gives `to` exactly. A transform that is no rotation times a
// scale (a mirror, a flattened axis) cannot be blended and gives `to`.
glm::mat4 betweenPoses(const glm::mat4& from, const glm::mat4& to, float share);

// `angle` brought into (-pi, pi]: the shorter way round.
float shorterTurn(float angle);

} // namespace pizzeria::scene
