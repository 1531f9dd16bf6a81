#include "tools/assetgen/TerrainImages.h"

namespace assetgen {

bool generateTerrainImages(const std::filesystem::path& dir) {
    (void)dir;
    return true; // TODO(assets): not written yet
}

} // namespace assetgen
