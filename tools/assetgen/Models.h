#pragma once

#include "tools/assetgen/ModelWriter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace assetgen {

// One model file of the game: its model number, its path under GameObjects/,
// the mesh name written into it and the function that builds it.
struct ModelFile {
    int kind;
    std::string path;
    std::string name;
    ModelData (*build)();
};

// Every model file the game can ask for (number 8, the terrain, has none).
const std::vector<ModelFile>& modelFiles();

// Writes its files under `dir`; returns false after printing what failed.
bool generateModels(const std::filesystem::path& dir);

} // namespace assetgen
