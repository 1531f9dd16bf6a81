#include "tools/assetgen/Models.h"

namespace assetgen {

bool generateModels(const std::filesystem::path& dir) {
    (void)dir;
    return true; // TODO(assets): not written yet
}

} // namespace assetgen
