#include "app/EnemyManager.h"

#include "app/ModelCache.h"
#include "scene/enemies/Gangster.h"

namespace pizzeria::app {

EnemyManager::EnemyManager(scene::terrain::Terrain* terrain_) : terrain(terrain_) {}

scene::enemies::Enemie* EnemyManager::spawn() {
    if (live.size() >= maxLive) {
        return nullptr;
    }
    auto enemy = std::make_unique<scene::enemies::Gangster>(terrain);
    enemy->placeOnTerrain();
    enemy->model = getModel(enemy->modelKind);
    live.push_back(std::move(enemy));
    return live.back().get();
}

void EnemyManager::update(glm::vec3 playerPosition, float dt) {
    // The lists are compacted in place, in order, so a frame allocates nothing.
    std::size_t stayed = 0;
    for (auto& enemy : live) {
        // Below 0 counts as knocked out too: hitAll and the bat can both
        // strike an enemy before its next update.
        if (enemy->lives > 0) {
            enemy->target = playerPosition;
            enemy->update(dt);
            live[stayed++].swap(enemy);
        } else {
            dying.push_back(std::move(enemy));
        }
    }
    live.resize(stayed);

    std::size_t stillDying = 0;
    for (auto& enemy : dying) {
        if (enemy->hurtTimer != 0.0f) {
            enemy->update(dt);
            dying[stillDying++].swap(enemy);
        }
    }
    dying.resize(stillDying); // the finished ones are destroyed here
}

void EnemyManager::hitAll() {
    for (auto& enemy : live) {
        enemy->hit();
    }
}

void EnemyManager::draw(const render::Shader& shader, const render::ViewVolume* volume) const {
    for (const auto& enemy : live) {
        enemy->draw(shader, volume);
    }
    for (const auto& enemy : dying) {
        enemy->draw(shader, volume);
    }
}

} // namespace pizzeria::app
