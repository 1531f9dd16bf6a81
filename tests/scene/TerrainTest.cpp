// Ground heights from small heightmaps at the edges, outside the square and
// on odd image shapes, where a wrong index reads past the grid.
#include "tests/scene/TerrainFixture.h"
#include "tests/support/BuildPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

using TerrainHeights = scenetest::SceneTest;

// Height of grey g on the scale of 8 units for a white pixel.
float heightOf(int grey) {
    return float(grey * 1.0) * 0.00390625f * 8.0f;
}

} // namespace

TEST_F(TerrainHeights, OnAGridVertexTheHeightIsThatVertexPlusOneHundredth) {
    auto terrain = world.make(3, 3, [](int r, int c) { return r == 1 && c == 2 ? 200 : 10; });
    // Column 2 is x = +125, row 1 is z = 0 (the square is centred on the origin).
    EXPECT_NEAR(terrain->heightAt(-125.0f, -125.0f), heightOf(10) + 0.01f, 1e-4);
    EXPECT_NEAR(terrain->heightAt(0.0f, 0.0f), heightOf(10) + 0.01f, 1e-4);
    // x = 125 is the far edge and counts as outside; just inside it the
    // height approaches the raised vertex.
    EXPECT_NEAR(terrain->heightAt(124.999f, 0.0f), heightOf(200) + 0.01f, 0.01);
}

// The ground is continuous across cell edges. Where the cell index and the
// place in the cell were rounded apart, the game's map had a pit of 0.2 (the
// wall test's step) at x = -25, z = -107.75.
TEST_F(TerrainHeights, TheGroundHasNoSeamsAtCellEdges) {
    std::filesystem::current_path(testsupport::runDir());
    const pizzeria::scene::terrain::Terrain map;
    const float cell = map.size / float(map.heights.size() - 1);
    float worst = 0.0f;
    for (float z = -110.0f; z < -100.0f; z += 0.0625f) {
        for (float x = -30.0f; x < -20.0f; x += 0.0625f) {
            const float here = map.heightAt(x, z);
            worst = std::max({worst, std::fabs(map.heightAt(x + 0.001f, z) - here),
                              std::fabs(map.heightAt(x, z + 0.001f) - here)});
        }
    }
    // A thousandth of a unit sideways can change the height by the steepest
    // slope times that, far below a hundredth.
    EXPECT_LT(worst, 0.01f) << "cell size " << cell;
}

TEST_F(TerrainHeights, OutsideTheSquareOnItsFarEdgeAndAtNaNTheGroundIsZero) {
    auto terrain = world.make(4, 4, [](int, int) { return 255; });
    for (auto [x, z] : {std::pair{-125.01f, 0.0f},
                        {0.0f, -126.0f},
                        {125.0f, 0.0f},
                        {0.0f, 125.0f},
                        {1e9f, 0.0f},
                        {-1e9f, -1e9f},
                        {std::nanf(""), 0.0f}}) {
        EXPECT_EQ(terrain->heightAt(x, z), 0.0f) << x << ", " << z;
    }
    EXPECT_GT(terrain->heightAt(124.9f, 124.9f), 7.0f);
}

TEST_F(TerrainHeights, NarrowImageNeverReadsPastItsColumns) {
    // 2 columns, 5 rows: the cell size comes from the rows, so most of the
    // square lies beyond the last column and must read as outside.
    auto terrain = world.make(2, 5, [](int, int) { return 100; });
    EXPECT_EQ(terrain->resolution, 2);
    EXPECT_NEAR(terrain->heightAt(-100.0f, 0.0f), heightOf(100) + 0.01f, 1e-3);
    EXPECT_EQ(terrain->heightAt(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(terrain->heightAt(120.0f, 120.0f), 0.0f);
}
