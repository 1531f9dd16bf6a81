#include "scene/ingridients/Ingridient.h"

#include "sound/SoundManager.h"

#include <glm/gtc/matrix_transform.hpp>

namespace pizzeria::scene::ingridients {

namespace {

constexpr float danceGravity = -62.0f;

} // namespace

Ingridient::Ingridient(terrain::Terrain* terrain, int kind_)
    : MoveAbleObject(terrain), kind(kind_) {
    type = IngredientType;
    modelKind = kind + 8;
}

void Ingridient::update(float dt) {
    if (!sound::partyMode || sound::soundMuted) {
        if (!gravityRestored) {
            gravity = baseGravity;
            gravityRestored = true;
        }
        // A wall met while dancing leaves nothing recorded to walk back along.
        if (blocked && transformHistory.empty() && !sidestepX && !sidestepZ) {
            endObstacleResponse();
        }
        defaultUpdate(dt);
    } else {
        dance(dt);
    }
    registerForCollisions();
}

void Ingridient::dance(float dt) {
    modelMatrix = glm::rotate(modelMatrix, dt * turnSpeed, glm::vec3(0.0f, 1.0f, 0.0f));
    tryJump();
    stepPhysics(dt);
    // A wall marks it for the walk back once the party is over, but a dancer
    // that was blocked before the music started must still come down.
    hitsWall();
    land();
    // Set after this frame's step, so the first dance frame still falls at normal gravity.
    gravity = danceGravity;
    gravityRestored = false;
    stepHurt(dt); // a hit ingredient keeps dancing while it shrinks
}

void Ingridient::endObstacleResponse() {
    blocked = false;
    climbing = false;
    pendingX = false;
    pendingZ = false;
    historyIndex = 0;
}

} // namespace pizzeria::scene::ingridients
