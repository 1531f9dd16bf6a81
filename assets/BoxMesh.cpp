#include "assets/BoxMesh.h"

#include <glm/common.hpp>

namespace pizzeria::assets {

std::optional<BoundingBox> extentOf(const std::vector<Vertex>& vertices) {
    if (vertices.empty()) {
        return std::nullopt;
    }
    BoundingBox extent{vertices.front().position, vertices.front().position};
    for (const Vertex& vertex : vertices) {
        extent.min = glm::min(extent.min, vertex.position);
        extent.max = glm::max(extent.max, vertex.position);
    }
    return extent;
}

std::unique_ptr<Mesh> makeBoxMesh(const BoundingBox& extent) {
    const glm::vec3 lo = extent.min;
    const glm::vec3 hi = extent.max;
    struct Face {
        glm::vec3 normal;
        glm::vec3 positions[4];
    };
    // Each face's corners run around it, so the two triangles below are a fan.
    const Face faces[6] = {
        {{0, -1, 0},
         {{hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}, {lo.x, lo.y, lo.z}}},
        {{0, 1, 0},
         {{hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}}},
        {{1, 0, 0},
         {{hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}}},
        {{0, 0, 1},
         {{hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}}},
        {{-1, 0, 0},
         {{lo.x, lo.y, hi.z}, {lo.x, hi.y, hi.z}, {lo.x, hi.y, lo.z}, {lo.x, lo.y, lo.z}}},
        {{0, 0, -1},
         {{hi.x, hi.y, lo.z}, {hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}}},
    };

    std::vector<Vertex> vertices;
    std::vector<GLuint> indices;
    vertices.reserve(24);
    indices.reserve(36);
    for (const Face& face : faces) {
        const auto first = GLuint(vertices.size());
        for (const glm::vec3& position : face.positions) {
            vertices.push_back(Vertex{position, face.normal, glm::vec2(0.0f)});
        }
        for (GLuint offset : {0u, 1u, 2u, 0u, 2u, 3u}) {
            indices.push_back(first + offset);
        }
    }
    return std::make_unique<Mesh>(std::move(vertices), std::move(indices));
}

} // namespace pizzeria::assets
