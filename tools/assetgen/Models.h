#pragma once

#include <filesystem>

namespace assetgen {

// Writes its files under `dir`; returns false after printing what failed.
bool generateModels(const std::filesystem::path& dir);

} // namespace assetgen
