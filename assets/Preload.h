#pragma once

#include "assets/ImageLoader.h"
#include "assets/MipChain.h"

#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct aiScene;
namespace Assimp {
class Importer;
}

namespace pizzeria::assets {

// An image decoded ahead of its use, with its mip chain when it is a texture.
struct PreparedImage {
    DecodedImage decoded;
    std::vector<MipLevel> mips;
};

// A model file read by Assimp, or why it was not: `refused` when our own
// checks kept it from the importer, else `error` with Assimp's text when the
// import failed. The importer owns the scene.
struct ImportedScene {
    ImportedScene();
    ImportedScene(ImportedScene&&) noexcept;
    ImportedScene& operator=(ImportedScene&&) noexcept;
    ~ImportedScene();

    std::string refused;
    std::string error;
    std::unique_ptr<Assimp::Importer> importer;
    const aiScene* scene = nullptr;
};

// Start-up reads files on worker threads while the main thread opens the
// window; the loaders then take what was read instead of reading it again.
// A worker promises each file before it starts, so a loader waits for one
// under way and reads a file itself when no result comes (none promised, or
// the worker stopped early). Messages are the loaders' alone: they print and
// fail exactly where reading the file themselves would have.
void promiseImage(const std::string& path, std::future<std::optional<PreparedImage>> result);
void promiseScene(const std::string& path, std::future<std::optional<ImportedScene>> result);

// The promised result for `path`, waited for; empty when none was promised
// or the worker gave none. Each promise is taken once.
std::optional<PreparedImage> takePreparedImage(const std::string& path);
std::optional<ImportedScene> takeImportedScene(const std::string& path);

// Forgets every promise not taken; their workers must be finished.
void dropPrepared();

} // namespace pizzeria::assets
