#include "app/ModelCache.h"

#include <array>
#include <map>
#include <memory>

namespace pizzeria::app {

namespace {

const std::array<const char*, 20> modelFiles = {
    "MainCharacter/mainCharacter.fbx",
    "MainCharacter/LeftArm/LeftHand.fbx",
    "MainCharacter/RightArm/RightHand.fbx",
    "MainCharacter/RightArm/Weapon/nailbat.fbx",
    "MainCharacter/Hat/hat.obj",
    "MainCharacter/Shoes/Shoes.obj",
    "Environment/ground.fbx",
    "SkyBox/Sky.fbx",
    nullptr, // the terrain: generated geometry
    "Ingridients/Bacon/Bacon.obj",
    "Ingridients/Corn/Corn.obj",
    "Ingridients/Egg/Egg.obj",
    "Ingridients/Garlic/garlic.obj",
    "Ingridients/Jalapeno/jalapeno.obj",
    "Ingridients/Pepper/pepper.obj",
    "Ingridients/Shrimp/Shrimp.obj",
    "Ingridients/Tomato/tomato.fbx",
    "Light/Moon/moon.obj",
    "Light/Lamp/lamp.obj",
    "Enemies/Gangster/gangster.obj",
};

// Lives until the process exits, after the context is gone: models never
// delete their GL objects, so that is safe.
std::map<int, std::unique_ptr<assets::Model>>& cache() {
    static std::map<int, std::unique_ptr<assets::Model>> models;
    return models;
}

} // namespace

std::string modelPath(int kind) {
    const bool hasFile =
        kind >= 0 && kind < int(modelFiles.size()) && modelFiles[std::size_t(kind)] != nullptr;
    return std::string("GameObjects/") + modelFiles[hasFile ? std::size_t(kind) : 0];
}

assets::Model* getModel(int kind) {
    auto& models = cache();
    auto found = models.find(kind);
    if (found == models.end()) {
        found = models.emplace(kind, std::make_unique<assets::Model>(modelPath(kind))).first;
    }
    return found->second.get();
}

assets::Model* getModel(int kind, std::vector<assets::Vertex> vertices,
                        std::vector<std::uint32_t> indices, const std::string& texturePath) {
    auto& models = cache();
    auto found = models.find(kind);
    if (found == models.end()) {
        auto model =
            std::make_unique<assets::Model>(std::move(vertices), std::move(indices), texturePath);
        found = models.emplace(kind, std::move(model)).first;
    }
    return found->second.get();
}

} // namespace pizzeria::app
