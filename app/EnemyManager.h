#pragma once

#include "render/ViewVolume.h"
#include "scene/enemies/Enemie.h"

#include <glm/vec3.hpp>

#include <cstddef>
#include <memory>
#include <vector>

namespace pizzeria::render {
class Shader;
}

namespace pizzeria::scene::terrain {
class Terrain;
}

namespace pizzeria::app {

// The enemies in the world. Owns every enemy it creates, in exactly one of
// its two lists.
class EnemyManager {
public:
    using Enemies = std::vector<std::unique_ptr<scene::enemies::Enemie>>;

    // No enemies yet.
    explicit EnemyManager(scene::terrain::Terrain* terrain);

    // Sends a gangster from the next spawn point into `live`; null (and
    // nothing spawned) while 11 or more are live.
    scene::enemies::Enemie* spawn();

    // Moves the knocked-out enemies to `dying`, lets the others chase
    // `playerPosition`, and finishes the dying ones.
    void update(glm::vec3 playerPosition, float dt);

    // Hits every live enemy once; they leave `live` in the next update.
    void hitAll();

    // Draws the live enemies, then the dying ones; with a `volume`, only
    // those it may see.
    void draw(const render::Shader& shader, const render::ViewVolume* volume = nullptr) const;

    static constexpr std::size_t maxLive = 11;

    Enemies live;
    Enemies dying;
    scene::terrain::Terrain* terrain = nullptr;
};

} // namespace pizzeria::app
