#pragma once

#include "tools/assetgen/JpegWriter.h"

#include <array>
#include <filesystem>

namespace assetgen {

// The heightmap covers the 250 x 250 terrain square whose corner is at
// world (-125, -125); pixel column c lies at x = -125 + c * 250 / 255 and
// row r at z = -125 + r * 250 / 255. Grey g becomes height g / 256 * 8.
constexpr int kHeightmapSize = 256;
constexpr double kTerrainSize = 250.0;
constexpr double kTerrainCorner = -125.0;
constexpr double kTerrainHeightScale = 8.0;

// The ground texture repeats 20 times across the square.
constexpr int kGroundTextureSize = 512;

// Where walkers appear (x, z), plus the player's start at the origin; the
// ground is levelled around each.
constexpr std::array<std::array<double, 2>, 15> kLevelPlaces = {{
    {-55.0, -65.0},
    {-70.0, 0.0},
    {-80.0, 100.5},
    {38.0, 83.0},
    {-25.0, -100.0},
    {75.0, 50.0},
    {30.0, -33.0},
    {98.0, 30.0},
    {59.0, 111.0},
    {43.5, -70.0},
    {44.0, 27.0},
    {25.0, 30.0},
    {-15.0, -117.0},
    {-60.0, 78.0},
    {0.0, 0.0},
}};

// Ground height in world units at world (x, z), before quantizing to grey.
double terrainHeight(double x, double z);

// Grey heightmap of rolling hills with a few steep rocky outcrops.
RgbImage makeHeightmap();

// Seamless grass with patches of bare earth and pebbles.
RgbImage makeGroundTexture();

// Writes its files under `dir`; returns false after printing what failed.
bool generateTerrainImages(const std::filesystem::path& dir);

} // namespace assetgen
