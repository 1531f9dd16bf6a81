// Writes every data file the game reads into the run folder given as the one
// argument. Deterministic: the same build writes the same files.
#include "tools/assetgen/Models.h"
#include "tools/assetgen/Sounds.h"
#include "tools/assetgen/TerrainImages.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pizzeria_assetgen RUN_FOLDER" << std::endl;
        return 2;
    }
    const std::filesystem::path runDir = argv[1];
    bool ok = assetgen::generateModels(runDir / "GameObjects");
    ok = assetgen::generateTerrainImages(runDir / "GameObjects" / "Terrain") && ok;
    ok = assetgen::generateSounds(runDir / "Sounds") && ok;
    return ok ? 0 : 1;
}
