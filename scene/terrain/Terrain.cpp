#include "scene/terrain/Terrain.h"

#include "app/Console.h"
#include "assets/ImageLoader.h"
#include "assets/Model.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace pizzeria::scene::terrain {

Terrain::Terrain() : Terrain(heightmapPath, groundTexturePath) {}

Terrain::Terrain(std::string heightmapFile_, std::string textureFile_)
    : textureFile(std::move(textureFile_)), heightmapFile(std::move(heightmapFile_)) {
    type = EnvironmentType;
    modelKind = 8;
    modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(-size / 2.0f, 0.0f, -size / 2.0f));
    loadHeightmap();
    buildGrid();
}

void Terrain::loadHeightmap() {
    const assets::RgbImage image = assets::loadRgbImage(heightmapFile);
    if (image.width < 2 || image.height < 2) {
        // A grid needs two vertices per side; fewer would divide by zero.
        std::cout << "ERROR: Heightmap too small - needs at least 2 x 2 pixels: " << heightmapFile
                  << std::endl;
        app::exitAfterPause(1);
    }
    heights.assign(std::size_t(image.height), std::vector<float>(std::size_t(image.width)));
    for (int r = 0; r < image.height; ++r) {
        for (int c = 0; c < image.width; ++c) {
            const unsigned char* pixel = &image.pixels[(std::size_t(image.width) * r + c) * 3];
            const double luminance = pixel[1] * 0.587 + pixel[0] * 0.2989 + pixel[2] * 0.114;
            heights[std::size_t(r)][std::size_t(c)] =
                float(luminance) * 0.00390625f * float(heightScale);
        }
    }
    resolution = std::min(image.width, image.height);
}

void Terrain::buildGrid() {
    const int n = resolution;
    std::vector<assets::Vertex> vertices;
    std::vector<std::uint32_t> indices;
    if (n >= 2) {
        const float last = float(n - 1);
        vertices.reserve(std::size_t(n) * n);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                assets::Vertex v;
                v.position = {j / last * size, heights[std::size_t(i)][std::size_t(j)],
                              i / last * size};
                v.normal = {0.0f, 1.0f, 0.0f};
                v.texCoords = {j / last * float(textureTiling), i / last * float(textureTiling)};
                vertices.push_back(v);
            }
        }
        indices.reserve(std::size_t(n - 1) * (n - 1) * 6);
        // Block by block, so a pass can draw just the blocks it may see.
        for (int bi = 0; bi < n - 1; bi += blockCells) {
            for (int bj = 0; bj < n - 1; bj += blockCells) {
                Block block;
                block.indices.first = GLuint(indices.size());
                block.low = vertices[std::size_t(bi * n + bj)].position;
                block.high = block.low;
                for (int i = bi; i < std::min(bi + blockCells, n - 1); ++i) {
                    for (int j = bj; j < std::min(bj + blockCells, n - 1); ++j) {
                        const std::uint32_t a = std::uint32_t(i * n + j);
                        const std::uint32_t b = std::uint32_t((i + 1) * n + j);
                        indices.insert(indices.end(), {a, b, a + 1, a + 1, b, b + 1});
                        for (const std::uint32_t corner : {a, a + 1, b, b + 1}) {
                            block.low = glm::min(block.low, vertices[corner].position);
                            block.high = glm::max(block.high, vertices[corner].position);
                        }
                    }
                }
                block.indices.count = GLsizei(indices.size() - block.indices.first);
                blocks.push_back(block);
            }
        }
    }
    buildModel(std::move(vertices), std::move(indices), textureFile);
}

void Terrain::draw(const render::Shader& shader, const render::ViewVolume* volume) const {
    if (volume == nullptr || model == nullptr || model->meshes.size() != 1) {
        SceneObject::draw(shader);
        return;
    }
    // Nearest first: ground behind a hill then fails the depth test before
    // it is shaded. Blocks next to each other in that order and in the index
    // list join into one draw.
    std::vector<std::pair<float, const Block*>> order;
    const glm::vec3 from = glm::vec3(glm::inverse(modelMatrix) * glm::vec4(volume->from, 1.0f));
    for (const Block& block : blocks) {
        if (volume->maySee(block.low, block.high, modelMatrix)) {
            const glm::vec3 nearest = glm::clamp(from, block.low, block.high);
            order.emplace_back(glm::length(nearest - from), &block);
        }
    }
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<assets::Mesh::IndexRange> seen;
    for (const auto& entry : order) {
        const assets::Mesh::IndexRange& run = entry.second->indices;
        if (!seen.empty() && seen.back().first + GLuint(seen.back().count) == run.first) {
            seen.back().count += run.count;
        } else {
            seen.push_back(run);
        }
    }
    uploadObjectUniforms(shader);
    model->meshes.front().draw(shader, seen);
}

glm::vec3 Terrain::keepInside(const glm::vec3& point) const {
    const glm::vec3 origin(modelMatrix[3]);
    const float low = borderMargin;
    const float high = size - borderMargin;
    return {origin.x + std::clamp(point.x - origin.x, low, high), point.y,
            origin.z + std::clamp(point.z - origin.z, low, high)};
}

float Terrain::heightAt(float x, float z) const {
    const int rows = int(heights.size());
    const int columns = rows > 0 ? int(heights.front().size()) : 0;
    if (rows < 2 || columns < 2) {
        return 0.0f;
    }
    const float cell = size / float(rows - 1);
    const glm::vec3 origin(modelMatrix[3]);
    const float lx = x - origin.x;
    const float lz = z - origin.z;
    // The cell and the place inside it come from one division: floor and fmod
    // apart can disagree at a cell's edge, which dug a 0.2-unit pit there.
    const float cellsX = lx / cell;
    const float cellsZ = lz / cell;
    const float gridX = std::floor(cellsX);
    const float gridZ = std::floor(cellsZ);
    // A narrow image has fewer columns than rows: stay inside both.
    if (!(gridX >= 0.0f && gridZ >= 0.0f && gridX < float(rows - 1) && gridZ < float(rows - 1) &&
          gridX < float(columns - 1))) {
        return 0.0f;
    }
    const auto gx = std::size_t(gridX);
    const auto gz = std::size_t(gridZ);
    const float fx = cellsX - gridX;
    const float fz = cellsZ - gridZ;
    float h;
    if (fx < 1.0f - fz) {
        h = (1.0f - fx - fz) * heights[gz][gx] + fx * heights[gz][gx + 1] +
            fz * heights[gz + 1][gx];
    } else {
        h = (1.0f - fz) * heights[gz][gx + 1] + (fx + fz - 1.0f) * heights[gz + 1][gx + 1] +
            (1.0f - fx) * heights[gz + 1][gx];
    }
    return float(double(h) + 0.01);
}

} // namespace pizzeria::scene::terrain
