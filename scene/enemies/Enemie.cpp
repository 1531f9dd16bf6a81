#include "scene/enemies/Enemie.h"

#include "sound/SoundManager.h"

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>

namespace pizzeria::scene::enemies {

Enemie::Enemie(terrain::Terrain* terrain) : MoveAbleObject(terrain) {
    type = EnemyType;
    speed = 9.0f;
}

void Enemie::update(float dt) {
    defaultUpdate(dt);
    registerForCollisions();
}

void Enemie::move(float dt) {
    const glm::vec3 toTarget = target - glm::vec3(modelMatrix[3]);
    const float distance = glm::length(toTarget);
    if (distance == 0.0f) {
        return; // already there: no direction to step in
    }
    direction = toTarget / distance;
    // He stops at the cook's side, close enough that their boxes still touch,
    // rather than walking into him.
    const float across = glm::length(glm::vec2(toTarget.x, toTarget.z));
    const float stepLength = std::min(dt * speed, std::max(0.0f, across - stopDistance));
    modelMatrix = glm::translate(modelMatrix, direction * stepLength);
}

void Enemie::onCollision(SceneObject* other) {
    if (other->type != MainCharacterType) {
        return;
    }
    contactCount += 1;
    if (contactCount < 2) {
        return;
    }
    sound::playSound("ouchSound.mp3");
    if (auto* cook = dynamic_cast<MoveAbleObject*>(other)) {
        cook->hit();
    }
    contactCount = 0;
}

} // namespace pizzeria::scene::enemies
