#include "app/StartupLoader.h"

#include "app/ModelCache.h"
#include "assets/Model.h"
#include "assets/Preload.h"
#include "assets/Texture.h"
#include "hud/TextRenderer.h"
#include "scene/terrain/Terrain.h"
#include "sound/SoundManager.h"

#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pizzeria::app {

namespace {

// The file models start-up asks the cache for, in its order: the sky, the
// cook and his parts, the moon, then the ingredients (whose order is drawn at
// random; any order serves, a model not yet read is only waited for) and the
// gangster.
constexpr int startupModels[] = {7, 0, 2, 3, 1, 4, 17, 9, 10, 11, 12, 13, 14, 15, 16, 19};

using ImagePromise = std::promise<std::optional<assets::PreparedImage>>;
using ScenePromise = std::promise<std::optional<assets::ImportedScene>>;

struct Plan {
    std::string heightmap;
    ImagePromise heightmapImage;
    std::string ground;
    ImagePromise groundImage;
    std::vector<std::pair<std::string, ScenePromise>> models;
};

ImagePromise promiseImage(const std::string& path) {
    ImagePromise promise;
    assets::promiseImage(path, promise.get_future());
    return promise;
}

// Fulfils the promises in start-up's order. After the first file that cannot
// load, start-up ends at that file, so nothing later is read: every promise
// left is kept empty and its loader would read the file itself.
void readFiles(Plan plan) {
    bool failed = false;
    const auto image = [&failed](ImagePromise& promise, const std::string& path, bool texture) {
        if (failed) {
            promise.set_value(std::nullopt);
            return;
        }
        assets::PreparedImage prepared;
        if (texture) {
            prepared = assets::prepareTexture(path);
        } else {
            prepared.decoded = assets::decodeRgbImage(path);
        }
        failed = prepared.decoded.failed();
        promise.set_value(std::move(prepared));
    };
    image(plan.heightmapImage, plan.heightmap, false);
    image(plan.groundImage, plan.ground, true);
    for (auto& [path, promise] : plan.models) {
        if (failed) {
            promise.set_value(std::nullopt);
            continue;
        }
        assets::ImportedScene imported = assets::importScene(path);
        failed = imported.scene == nullptr;
        // Promised before the scene goes out: its loader asks for them next.
        std::vector<std::pair<std::string, ImagePromise>> textures;
        for (const std::string& texture : assets::textureFilesOf(imported, path)) {
            textures.emplace_back(texture, promiseImage(texture));
        }
        promise.set_value(std::move(imported));
        for (auto& [texture, texturePromise] : textures) {
            image(texturePromise, texture, true);
        }
    }
}

} // namespace

StartupLoader::StartupLoader(int windowHeight) {
    // First, while this is the only thread: SDL may start a helper process
    // as the device opens (see openSound).
    sound::PreparedSound opened = sound::openSound();

    Plan plan;
    plan.heightmap = scene::terrain::Terrain::heightmapPath;
    plan.heightmapImage = promiseImage(plan.heightmap);
    plan.ground = scene::terrain::Terrain::groundTexturePath;
    plan.groundImage = promiseImage(plan.ground);
    for (const int kind : startupModels) {
        const std::string path = modelPath(kind);
        ScenePromise promise;
        assets::promiseScene(path, promise.get_future());
        plan.models.emplace_back(path, std::move(promise));
    }
    files = std::thread(readFiles, std::move(plan));

    // The font first: quick, and the HUD comes before the sound in start-up.
    std::packaged_task<hud::GlyphSet()> rasterise(
        [glyphHeight = hud::TextRenderer::pixelHeightFor(windowHeight)] {
            return hud::TextRenderer::rasterise(hud::TextRenderer::fontFile, glyphHeight);
        });
    hud::TextRenderer::promise(rasterise.get_future());
    std::packaged_task<sound::PreparedSound()> decode([opened = std::move(opened)]() mutable {
        sound::decodeMusic(opened);
        return std::move(opened);
    });
    sound::promiseSound(decode.get_future());
    sound = std::thread([rasterise = std::move(rasterise), decode = std::move(decode)]() mutable {
        rasterise();
        decode();
    });
}

StartupLoader::~StartupLoader() {
    finish();
}

void StartupLoader::finish() {
    if (files.joinable()) {
        files.join();
    }
    if (sound.joinable()) {
        sound.join();
    }
    assets::dropPrepared();
}

} // namespace pizzeria::app
