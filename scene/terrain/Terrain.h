#pragma once

#include "scene/SceneObject.h"

#include <glm/vec3.hpp>

#include <string>
#include <vector>

namespace pizzeria::scene::terrain {

// The ground: a square height field from a grey heightmap, drawn as one
// textured grid and asked every frame for the height under each walker.
class Terrain : public SceneObject {
public:
    static constexpr const char* heightmapPath = "GameObjects/Terrain/Terrain.jpg";
    static constexpr const char* groundTexturePath = "GameObjects/Terrain/ground.jpg";

    // Loads the heightmap and builds the drawable grid. An unreadable
    // heightmap ends the game with DevIL's error.
    Terrain();

    // The same from other files (tests build small terrains of their own).
    Terrain(std::string heightmapFile, std::string textureFile);

    // Ground height at world x, z; 0 outside the square.
    float heightAt(float x, float z) const;

    // `point` with its x and z moved inside the square, `borderMargin` from
    // its edges, so that a walker there stands wholly on the ground.
    glm::vec3 keepInside(const glm::vec3& point) const;

    static constexpr float borderMargin = 1.0f;

    float size = 250.0f;
    int resolution = 0;
    int heightScale = 8;
    int textureTiling = 20;
    std::string textureFile = groundTexturePath;
    std::string heightmapFile = heightmapPath;
    std::vector<std::vector<float>> heights; // [image row][image column]

private:
    void loadHeightmap();
    void buildGrid();
};

} // namespace pizzeria::scene::terrain
