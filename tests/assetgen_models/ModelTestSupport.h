#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace modeltest {

// A decoded texture, rows top to bottom as the game uploads them.
struct Texture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    // Colour (0..1) at texture coordinates as imported (flipped), like the
    // game's sampler with t = 0 on the first uploaded row.
    glm::vec3 sample(glm::vec2 uv) const;
};

struct Triangle {
    glm::vec3 p[3];
    glm::vec3 n[3];
    glm::vec2 uv[3];
    glm::vec3 centroid() const { return (p[0] + p[1] + p[2]) / 3.0f; }
    float area() const { return 0.5f * glm::length(glm::cross(p[1] - p[0], p[2] - p[0])); }
};

// One mesh as the game's loader sees it.
struct LoadedMesh {
    bool hasNormals = false;
    bool hasUvs = false;
    std::vector<std::string> diffuseTextures; // as named in the material
    std::vector<Triangle> triangles;
    Texture texture; // the first diffuse texture, empty when it did not load
    bool textureLoaded = false;
};

// A model file imported with the game's flags (triangulate, flip UVs), node
// transformations ignored.
struct LoadedModel {
    bool imported = false;
    std::string error;
    unsigned sceneFlags = 0;
    std::vector<LoadedMesh> meshes;

    glm::vec3 minCorner() const;
    glm::vec3 maxCorner() const;
    std::size_t triangleCount() const;
    // Triangles whose texture colour (at the centroid's UV) passes `match`.
    std::vector<Triangle> trianglesColoured(bool (*match)(glm::vec3)) const;
};

std::string runDir();
std::string modelPath(const std::string& relative);
LoadedModel loadModel(const std::string& path);
// Decodes an image file the game's way (DevIL, flipped to a top-left origin).
bool loadTexture(const std::string& path, Texture& out);
// Loads a model from the run folder by its number, cached for the test run.
const LoadedModel& gameModel(int kind);

glm::vec3 centroidOf(const std::vector<Triangle>& triangles);

} // namespace modeltest
