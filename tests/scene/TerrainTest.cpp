// Ground heights from small heightmaps: the grid's two triangles per cell,
// the edges, and odd image shapes.
#include "tests/scene/TerrainFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

using pizzeria::scene::terrain::Terrain;

namespace {

class TerrainHeights : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(world.context.ok()) << "needs a display"; }
    scenetest::TerrainWorld world;
};

// Height of grey g on the scale of 8 units for a white pixel.
float heightOf(int grey) {
    return float(grey * 1.0) * 0.00390625f * 8.0f;
}

} // namespace

TEST_F(TerrainHeights, GreyBecomesHeightOnAnEightUnitScale) {
    auto terrain = world.make(3, 3, [](int r, int c) { return (r * 3 + c) * 30; });
    ASSERT_EQ(terrain->heights.size(), 3u);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(terrain->heights[r][c], heightOf((r * 3 + c) * 30), 1e-3) << r << c;
        }
    }
    EXPECT_EQ(terrain->resolution, 3);
}

TEST_F(TerrainHeights, OnAGridVertexTheHeightIsThatVertexPlusOneHundredth) {
    auto terrain = world.make(3, 3, [](int r, int c) { return r == 1 && c == 2 ? 200 : 10; });
    // Column 2 is x = +125, row 1 is z = 0 (the square is centred on the origin).
    EXPECT_NEAR(terrain->heightAt(-125.0f, -125.0f), heightOf(10) + 0.01f, 1e-4);
    EXPECT_NEAR(terrain->heightAt(0.0f, 0.0f), heightOf(10) + 0.01f, 1e-4);
    // x = 125 is the far edge and counts as outside; just inside it the
    // height approaches the raised vertex.
    EXPECT_NEAR(terrain->heightAt(124.999f, 0.0f), heightOf(200) + 0.01f, 0.01);
}

TEST_F(TerrainHeights, EachCellIsSplitAlongItsRisingDiagonal) {
    // One cell: corners (row, column) (0,0)=0, (0,1)=100, (1,0)=200, (1,1)=50.
    const int greys[2][2] = {{0, 100}, {200, 50}};
    auto terrain = world.make(2, 2, [&](int r, int c) { return greys[r][c]; });
    const float h00 = heightOf(0), h01 = heightOf(100), h10 = heightOf(200), h11 = heightOf(50);

    // Near corner triangle: fx + fz < 1, interpolating (0,0), (0,1) and (1,0).
    const float fx = 0.25f, fz = 0.5f;
    EXPECT_NEAR(terrain->heightAt(-125.0f + fx * 250.0f, -125.0f + fz * 250.0f),
                (1 - fx - fz) * h00 + fx * h01 + fz * h10 + 0.01f, 1e-3);
    // Far corner triangle: fx + fz > 1, interpolating (0,1), (1,1) and (1,0).
    const float gx = 0.75f, gz = 0.5f;
    EXPECT_NEAR(terrain->heightAt(-125.0f + gx * 250.0f, -125.0f + gz * 250.0f),
                (1 - gz) * h01 + (gx + gz - 1) * h11 + (1 - gx) * h10 + 0.01f, 1e-3);
}

TEST_F(TerrainHeights, OutsideTheSquareAndOnItsFarEdgeTheGroundIsZero) {
    auto terrain = world.make(4, 4, [](int, int) { return 255; });
    for (auto [x, z] : {std::pair{-125.01f, 0.0f},
                        {0.0f, -126.0f},
                        {125.0f, 0.0f},
                        {0.0f, 125.0f},
                        {1e9f, 0.0f},
                        {-1e9f, -1e9f}}) {
        EXPECT_EQ(terrain->heightAt(x, z), 0.0f) << x << ", " << z;
    }
    EXPECT_GT(terrain->heightAt(124.9f, 124.9f), 7.0f);
}

TEST_F(TerrainHeights, NotANumberGivesGroundZero) {
    auto terrain = world.make(4, 4, [](int, int) { return 255; });
    EXPECT_EQ(terrain->heightAt(std::nanf(""), 0.0f), 0.0f);
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

TEST_F(TerrainHeights, HeightmapBelowTwoByTwoPixelsEndsTheGame) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (auto [w, h] : {std::pair{1, 1}, {1, 5}, {5, 1}}) {
        const std::string map =
            scenetest::writeHeightmap(world.dir, "thin.png", w, h, [](int, int) { return 255; });
        EXPECT_EXIT(
            {
                std::cout.rdbuf(std::cerr.rdbuf());
                Terrain(map, world.texture);
            },
            testing::ExitedWithCode(1),
            // The dying child writes its own copy of the map in a folder of its own.
            testing::AllOf(
                testing::HasSubstr("ERROR: Heightmap too small - needs at least 2 x 2 pixels: "),
                testing::HasSubstr("/thin.png\n")));
    }
}

TEST_F(TerrainHeights, UnreadableHeightmapEndsWithDevILsError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The message goes to standard output; send it where the death test reads.
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            Terrain("no/such/map.png", world.texture);
        },
        testing::ExitedWithCode(1),
        testing::MatchesRegex("ERROR: Image load failed - IL reports error: [0-9]+ - [^:]+\n"));
}
