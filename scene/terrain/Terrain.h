#pragma once

#include "assets/Mesh.h"
#include "render/ViewVolume.h"
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
    // heightmap ends the game with the image error.
    Terrain();

    // The same from other files (tests build small terrains of their own).
    Terrain(std::string heightmapFile, std::string textureFile);

    // Draws the ground; with a `volume`, only the blocks of the grid it may
    // see (most of the ground lies outside the shadow map's drawn part or
    // behind the camera).
    void draw(const render::Shader& shader, const render::ViewVolume* volume = nullptr) const;

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

    // The grid is indexed block by block, each block's triangles one run of
    // the index list, with the box the block's ground lies in.
    struct Block {
        glm::vec3 low{0.0f};
        glm::vec3 high{0.0f};
        assets::Mesh::IndexRange indices;
    };
    static constexpr int blockCells = 8; // cells along a block's side
    std::vector<Block> blocks;

private:
    void loadHeightmap();
    void buildGrid();
};

} // namespace pizzeria::scene::terrain
