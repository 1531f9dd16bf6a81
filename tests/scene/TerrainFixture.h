#pragma once

// Small terrains made from heightmaps the tests draw themselves.
#include "scene/terrain/Terrain.h"
#include "tests/support/GlContext.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace scenetest {

// Writes a grey PNG whose pixel (row, column) has the grey `grey(row, column)`.
inline std::string writeHeightmap(const testsupport::TempDir& dir, const std::string& name,
                                  int width, int height,
                                  const std::function<unsigned char(int, int)>& grey) {
    std::vector<unsigned char> pixels(std::size_t(width) * height * 3);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const unsigned char g = grey(r, c);
            for (int k = 0; k < 3; ++k) {
                pixels[(std::size_t(r) * width + c) * 3 + k] = g;
            }
        }
    }
    std::string path = (dir.path() / name).string();
    testsupport::writePng(path, width, height, pixels);
    return path;
}

// A GL context and a folder with a ground texture, for building terrains.
struct TerrainWorld {
    testsupport::GlContext context;
    testsupport::TempDir dir;
    std::string texture = writeHeightmap(dir, "ground.png", 4, 4, [](int, int) { return 128; });

    std::unique_ptr<pizzeria::scene::terrain::Terrain>
    make(int width, int height, const std::function<unsigned char(int, int)>& grey) {
        const std::string map = writeHeightmap(dir, "map.png", width, height, grey);
        return std::make_unique<pizzeria::scene::terrain::Terrain>(map, texture);
    }
};

// Every scene test builds terrains, which needs a GL context.
class SceneTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.context.ok()) << "needs a display"; }
    static constexpr float frame = 1.0f / 60.0f;
    TerrainWorld world;
};

inline glm::vec3 where(const pizzeria::scene::SceneObject& object) {
    return glm::vec3(object.modelMatrix[3]);
}

} // namespace scenetest
