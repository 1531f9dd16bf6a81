#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace pizzeria::assets {

// One interleaved vertex, laid out exactly as the GPU buffers hold it:
// position at attribute 0, normal at 1, texture coordinates at 2.
struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 texCoords{0.0f};
};

static_assert(sizeof(Vertex) == 32, "the vertex buffer layout expects 8 tightly packed floats");

} // namespace pizzeria::assets
