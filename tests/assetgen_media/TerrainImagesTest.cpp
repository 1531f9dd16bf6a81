// The terrain images as the game reads them: the heights' range, gentle
// ground at the spawn points under the game's own terrain, and the ground
// texture's tiling.
#include "app/SpawnPoints.h"
#include "assets/ImageLoader.h"
#include "scene/terrain/Terrain.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/GlContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace {

using pizzeria::assets::loadRgbImage;

const std::filesystem::path kTerrainDir =
    std::filesystem::path(testsupport::runDir()) / "GameObjects" / "Terrain";

// The game's own terrain over the run folder's heightmap; building it needs a
// GL context.
class GameTerrain : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context = new testsupport::GlContext();
        terrain = new pizzeria::scene::terrain::Terrain((kTerrainDir / "Terrain.jpg").string(),
                                                        (kTerrainDir / "ground.jpg").string());
    }
    static void TearDownTestSuite() {
        delete terrain;
        delete context;
    }

    // Steepest rise per unit in x or z between neighbouring grid points within
    // `radius` of (x, z): each triangle of the ground slopes as its edges do.
    static double steepestNear(double x, double z, double radius) {
        const auto& h = terrain->heights;
        const double cell = terrain->size / double(h.size() - 1);
        double steepest = 0.0;
        for (std::size_t r = 0; r + 1 < h.size(); ++r) {
            for (std::size_t c = 0; c + 1 < h[r].size(); ++c) {
                const double dx = double(c) * cell - 125.0 - x, dz = double(r) * cell - 125.0 - z;
                if (dx * dx + dz * dz <= radius * radius) {
                    steepest = std::max({steepest, double(std::fabs(h[r][c + 1] - h[r][c])),
                                         double(std::fabs(h[r + 1][c] - h[r][c]))});
                }
            }
        }
        return steepest / cell;
    }

    static inline testsupport::GlContext* context = nullptr;
    static inline pizzeria::scene::terrain::Terrain* terrain = nullptr;
};

TEST_F(GameTerrain, TheHeightmapUsesTheHeightRangeWithoutLeavingIt) {
    ASSERT_TRUE(context->ok()) << "needs a display";
    double lowest = 1e9, highest = -1e9;
    for (const auto& row : terrain->heights) {
        lowest = std::min(lowest, double(*std::min_element(row.begin(), row.end())));
        highest = std::max(highest, double(*std::max_element(row.begin(), row.end())));
    }
    EXPECT_GE(lowest, 0.0);
    EXPECT_LT(highest, 8.0);
    // Rolling hills, not a plain: most of the range is used.
    EXPECT_GT(highest - lowest, 5.0);
}

// The player's start and the game's own spawn points.
TEST_F(GameTerrain, EverySpawnPointStandsOnGentleGround) {
    ASSERT_TRUE(context->ok()) << "needs a display";
    std::vector<glm::vec3> places(pizzeria::app::spawnPoints.begin(),
                                  pizzeria::app::spawnPoints.end());
    places.emplace_back(0.0f);
    for (const glm::vec3& p : places) {
        SCOPED_TRACE("at " + std::to_string(p.x) + ", " + std::to_string(p.z));
        // Where the walker lands and its first steps: nearly level, far
        // under the wall test's 0.2-unit rise per frame's step.
        EXPECT_LT(steepestNear(p.x, p.z, 3.0), 0.12);
        // A little further out it may ease into the hills, but no rise
        // anywhere near one unit per unit.
        EXPECT_LT(steepestNear(p.x, p.z, 8.0), 0.5);
    }
}

TEST(GroundTexture, TilesWithoutASeam) {
    const auto image = loadRgbImage((kTerrainDir / "ground.jpg").string());
    ASSERT_EQ(image.width, 512);
    const int n = image.width;
    auto difference = [&](int x0, int y0, int x1, int y1) {
        const unsigned char* a = &image.pixels[std::size_t(y0 * n + x0) * 3];
        const unsigned char* b = &image.pixels[std::size_t(y1 * n + x1) * 3];
        return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    };
    // Neighbours across the wrap must differ no more than neighbours inside.
    double acrossX = 0, acrossY = 0, insideX = 0, insideY = 0;
    for (int i = 0; i < n; ++i) {
        acrossX += difference(n - 1, i, 0, i);
        acrossY += difference(i, n - 1, i, 0);
        for (int k = 1; k < n; k += 51) {
            insideX += difference(k - 1, i, k, i) / 11.0;
            insideY += difference(i, k - 1, i, k) / 11.0;
        }
    }
    EXPECT_LT(acrossX, insideX * 1.25);
    EXPECT_LT(acrossY, insideY * 1.25);
    EXPECT_GT(insideX, 0.0);
}

} // namespace
