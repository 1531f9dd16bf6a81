#pragma once

#include "assets/Model.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace modeltest {

// A texture as uploaded, the first row first.
struct Texture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    // Colour (0..1) at texture coordinates as the game's sampler reads them.
    glm::vec3 sample(glm::vec2 uv) const;
};

struct Triangle {
    glm::vec3 p[3];
    glm::vec3 n[3];
    glm::vec2 uv[3];
    glm::vec3 centroid() const { return (p[0] + p[1] + p[2]) / 3.0f; }
    float area() const { return 0.5f * glm::length(glm::cross(p[1] - p[0], p[2] - p[0])); }
};

struct LoadedMesh {
    std::size_t textureCount = 0;
    Texture texture; // the first one
    std::vector<Triangle> triangles;
};

// A model as the game's own loader builds it, its meshes read back.
struct LoadedModel {
    std::unique_ptr<pizzeria::assets::Model> game;
    std::vector<LoadedMesh> meshes;

    std::pair<glm::vec3, glm::vec3> extent() const; // the lowest and highest corners
    std::size_t triangleCount() const;
    // Triangles whose texture colour (at the centroid's UV) passes `match`.
    std::vector<Triangle> trianglesColoured(bool (*match)(glm::vec3)) const;
};

// The model of number `kind` from the run folder, loaded once for the test
// run; a file the game cannot import ends the process with the game's error.
const LoadedModel& gameModel(int kind);

glm::vec3 centroidOf(const std::vector<Triangle>& triangles);

} // namespace modeltest
