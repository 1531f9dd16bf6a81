#pragma once

#include <filesystem>

namespace assetgen {

// Writes its files under `dir`; returns false after printing what failed.
bool generateTerrainImages(const std::filesystem::path& dir);

} // namespace assetgen
