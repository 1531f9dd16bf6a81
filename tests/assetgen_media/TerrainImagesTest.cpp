// The terrain images as the game reads them: the heightmap's range, gentle
// ground at the spawn points under the game's own triangle interpolation, and
// the ground texture's tiling.
#include "app/SpawnPoints.h"
#include "tests/assetgen_media/MediaTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using mediatest::LoadedImage;

const std::filesystem::path kTerrainDir = mediatest::runDir() / "GameObjects" / "Terrain";

// Heights as the terrain builds them: luminance / 256 * 8, and the height
// query's two-triangle interpolation over a 250-unit square at (-125, -125).
class HeightField {
public:
    explicit HeightField(const LoadedImage& image) : rows_(image.height), cols_(image.width) {
        heights_.resize(std::size_t(rows_) * cols_);
        for (int r = 0; r < rows_; ++r) {
            for (int c = 0; c < cols_; ++c) {
                const std::uint8_t* p = image.at(c, r);
                const double lum = p[1] * 0.587 + p[0] * 0.2989 + p[2] * 0.114;
                heights_[std::size_t(r) * cols_ + c] = float(lum) * 0.00390625f * 8.0f;
            }
        }
    }
    double at(int r, int c) const { return heights_[std::size_t(r) * cols_ + c]; }
    int rows() const { return rows_; }
    int cols() const { return cols_; }
    double cell() const { return 250.0 / (rows_ - 1); }

    double heightAt(double x, double z) const {
        const double lx = x + 125.0, lz = z + 125.0;
        const int gx = int(std::floor(lx / cell())), gz = int(std::floor(lz / cell()));
        if (gx < 0 || gz < 0 || gx >= rows_ - 1 || gz >= rows_ - 1) {
            return 0.0;
        }
        const double fx = std::fmod(lx, cell()) / cell(), fz = std::fmod(lz, cell()) / cell();
        if (fx < 1.0 - fz) {
            return (1 - fx - fz) * at(gz, gx) + fx * at(gz, gx + 1) + fz * at(gz + 1, gx) + 0.01;
        }
        return (1 - fz) * at(gz, gx + 1) + (fx + fz - 1) * at(gz + 1, gx + 1) +
               (1 - fx) * at(gz + 1, gx) + 0.01;
    }

    // Steepest rise over `step` units in x or z, anywhere within `radius`.
    double steepestNear(double x, double z, double radius, double step) const {
        double steepest = 0.0;
        for (double dz = -radius; dz <= radius; dz += 0.25) {
            for (double dx = -radius; dx <= radius; dx += 0.25) {
                if (dx * dx + dz * dz > radius * radius) {
                    continue;
                }
                const double h = heightAt(x + dx, z + dz);
                steepest = std::max({steepest, std::fabs(heightAt(x + dx + step, z + dz) - h),
                                     std::fabs(heightAt(x + dx, z + dz + step) - h)});
            }
        }
        return steepest / step;
    }

private:
    int rows_;
    int cols_;
    std::vector<float> heights_;
};

const LoadedImage& heightmap() {
    static const LoadedImage image = mediatest::loadImage(kTerrainDir / "Terrain.jpg");
    return image;
}

TEST(Heightmap, IsGreyAndUsesTheHeightRangeWithoutLeavingIt) {
    ASSERT_EQ(heightmap().width, 256);
    const HeightField field(heightmap());
    double lowest = 1e9, highest = -1e9;
    int colourful = 0;
    for (int r = 0; r < field.rows(); ++r) {
        for (int c = 0; c < field.cols(); ++c) {
            lowest = std::min(lowest, field.at(r, c));
            highest = std::max(highest, field.at(r, c));
            const std::uint8_t* p = heightmap().at(c, r);
            colourful += std::max({std::abs(p[0] - p[1]), std::abs(p[1] - p[2])}) > 3;
        }
    }
    EXPECT_GE(lowest, 0.0);
    EXPECT_LT(highest, 8.0);
    // Rolling hills, not a plain: most of the range is used.
    EXPECT_GT(highest - lowest, 5.0);
    EXPECT_EQ(colourful, 0);
}

// The player's start and the game's own spawn points.
TEST(Heightmap, EverySpawnPointStandsOnGentleGround) {
    ASSERT_EQ(heightmap().width, 256);
    const HeightField field(heightmap());
    std::vector<glm::vec3> places(pizzeria::app::spawnPoints.begin(),
                                  pizzeria::app::spawnPoints.end());
    places.emplace_back(0.0f);
    for (const glm::vec3& p : places) {
        SCOPED_TRACE("at " + std::to_string(p.x) + ", " + std::to_string(p.z));
        // Where the walker lands and its first steps: nearly level, far
        // under the wall test's 0.2-unit rise per frame's step.
        EXPECT_LT(field.steepestNear(p.x, p.z, 3.0, 0.5), 0.12);
        // A little further out it may ease into the hills, but no rise
        // anywhere near one unit per unit.
        EXPECT_LT(field.steepestNear(p.x, p.z, 8.0, 0.5), 0.5);
    }
}

TEST(GroundTexture, TilesWithoutASeam) {
    const LoadedImage image = mediatest::loadImage(kTerrainDir / "ground.jpg");
    ASSERT_EQ(image.width, 512);
    const int n = image.width;
    auto difference = [&](int x0, int y0, int x1, int y1) {
        const std::uint8_t* a = image.at(x0, y0);
        const std::uint8_t* b = image.at(x1, y1);
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
