#include "tools/assetgen/Sounds.h"

namespace assetgen {

bool generateSounds(const std::filesystem::path& dir) {
    (void)dir;
    return true; // TODO(assets): not written yet
}

} // namespace assetgen
