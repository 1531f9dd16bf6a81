#include "scene/MoveAbleObject.h"

#include "app/CollisionList.h"
#include "app/SpawnPoints.h"
#include "scene/Angles.h"
#include "scene/terrain/Terrain.h"
#include "sound/SoundManager.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <cstdlib>

namespace pizzeria::scene {

namespace {

constexpr float hurtSeconds = 2.0f;
constexpr float wanderStep = 4.0f; // units per second, whatever the speed
// How far the ground may fall away in one step with a walker staying on it:
// more than a running cook's step down a 1:1 slope.
constexpr float stepDown = 0.5f;

glm::vec3 translationOf(const glm::mat4& matrix) {
    return glm::vec3(matrix[3]);
}

} // namespace

MoveAbleObject::MoveAbleObject(terrain::Terrain* terrain_) : terrain(terrain_) {}

void MoveAbleObject::onCollision(SceneObject* /*other*/) {}

void MoveAbleObject::move(float dt) {
    if (phaseFrames < 1) {
        const int r = std::rand();
        phaseFrames = walking ? r % 200 : 200 + r % 200;
        walking = !walking;
    }
    if (walking) {
        modelMatrix = glm::translate(modelMatrix, glm::vec3(0.0f, 0.0f, wanderStep * dt));
    } else {
        modelMatrix = glm::rotate(modelMatrix, pi * dt, glm::vec3(0.0f, 1.0f, 0.0f));
    }
    --phaseFrames;
}

void MoveAbleObject::placeOnTerrain() {
    position = translationOf(modelMatrix);
    const float ground = terrain->heightAt(position.x, position.z);
    const glm::mat4 lift = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, ground + 10.0f, 0.0f));
    if (type != MainCharacterType) {
        modelMatrix = glm::translate(modelMatrix, app::takeSpawnPoint());
    }
    modelMatrix = lift * modelMatrix;
    position = translationOf(modelMatrix); // the camera follows it from the first frame
}

void MoveAbleObject::stepPhysics(float dt) {
    previousVerticalSpeed = verticalSpeed;
    verticalSpeed += gravity * dt;
    // The sum of both speeds, not their mean: the game's jumps are tuned to it.
    const float dy = (verticalSpeed + previousVerticalSpeed) * dt;
    modelMatrix = glm::translate(modelMatrix, glm::vec3(0.0f, dy, 0.0f));
    keepInsideBorder();
    position = translationOf(modelMatrix);
    previousGroundHeight = groundHeight;
    groundHeight = terrain->heightAt(position.x, position.z);
}

// Past the edge there is no ground to stand on and no way back up.
void MoveAbleObject::keepInsideBorder() {
    const glm::vec3 inside = terrain->keepInside(translationOf(modelMatrix));
    modelMatrix[3].x = inside.x;
    modelMatrix[3].z = inside.z;
}

// Onto the ground itself, not back to the height before the step: walking
// uphill would otherwise sink a little with every step. Walking downhill keeps
// the feet on the slope; only a jump or a drop steeper than a step leaves it.
void MoveAbleObject::land() {
    const float above = position.y - groundHeight;
    const bool walksDown = !inAir && verticalSpeed <= 0.0f && above <= stepDown;
    if (above < 0.0f || walksDown) {
        modelMatrix[3].y = groundHeight; // in world axes, whatever the object's turn and scale
        position.y = groundHeight;
        verticalSpeed = 0.0f;
        inAir = false;
    }
}

void MoveAbleObject::standOnGround() {
    position = translationOf(modelMatrix);
    groundHeight = terrain->heightAt(position.x, position.z);
    land();
}

void MoveAbleObject::stopAtWall() {
    if (!transformHistory.empty()) {
        modelMatrix = transformHistory.front();
    }
    standOnGround();
}

void MoveAbleObject::tryJump() {
    if (!inAir && groundHeight + groundTolerance >= position.y) {
        verticalSpeed = jumpSpeed;
        inAir = true;
    }
}

bool MoveAbleObject::hitsWall() {
    const float ahead = groundHeight - groundTolerance;
    if (ahead > previousGroundHeight && ahead > position.y) {
        blocked = true;
        climbing = true;
        return true;
    }
    return false;
}

void MoveAbleObject::recordTransform() {
    transformHistory.push_front(modelMatrix);
    if (int(transformHistory.size()) > maxHistory) {
        transformHistory.pop_back();
    }
}

bool MoveAbleObject::stepHurt(float dt) {
    if (hurtTimer >= hurtSeconds) {
        hurtTimer = 0.0f;
        hurt = false;
        if (lives > 0) {
            active = true;
        }
    }
    if (!hurt) {
        return false;
    }
    hurtTimer += dt;
    if (lives > 0) {
        return true;
    }
    // Out of lives: shrink away while the hurt state runs.
    const float s = 1.0f - hurtTimer * 0.1f;
    modelMatrix = glm::scale(modelMatrix, glm::vec3(s, s, s));
    return true;
}

void MoveAbleObject::hit() {
    lives -= 1;
    hurt = true;
    hurtTimer = 0.0000001f; // not 0: the managers read exactly 0 as "hurt state over"
    active = false;
    sound::playHitSound();
    for (SceneObject* child : getChildren()) {
        if (auto* part = dynamic_cast<MoveAbleObject*>(child)) {
            part->hit();
        }
    }
}

void MoveAbleObject::defaultUpdate(float dt) {
    if (stepHurt(dt)) {
        return;
    }
    if (blocked) {
        backOff(dt);
        return;
    }
    recordTransform();
    move(dt);
    stepPhysics(dt);
    if (hitsWall()) {
        stopAtWall(); // the obstacle response starts next step
        return;
    }
    if (!blocked) {
        land();
    }
}

void MoveAbleObject::clearHistory() {
    transformHistory.clear();
    historyIndex = 0;
}

void MoveAbleObject::backOff(float dt) {
    if (!pendingX && !pendingZ) {
        // Sidestep along the axis the object was moving along most.
        const glm::vec3 now = translationOf(modelMatrix);
        const glm::vec3 before =
            transformHistory.empty() ? now : translationOf(transformHistory.front());
        if (std::fabs(now.x - before.x) > std::fabs(now.z - before.z)) {
            pendingX = true;
        } else {
            pendingZ = true;
        }
    }
    if (!sidestepX && !sidestepZ) {
        replayStep();
    } else {
        sidestepStep(dt);
    }
    standOnGround();
}

void MoveAbleObject::replayStep() {
    if (historyIndex < int(transformHistory.size())) {
        modelMatrix = transformHistory[std::size_t(historyIndex)];
        ++historyIndex;
    }
    if (historyIndex < int(transformHistory.size())) {
        return;
    }
    sidestepX = pendingX;
    sidestepZ = pendingZ;
    clearHistory();
    if (turnAround) {
        modelMatrix = glm::rotate(modelMatrix, pi, glm::vec3(0.0f, 1.0f, 0.0f));
        sidestepX = sidestepZ = climbing = turnAround = pendingX = pendingZ = false;
        blocked = false;
    }
}

void MoveAbleObject::sidestepStep(float dt) {
    const glm::vec3 step =
        sidestepX ? glm::vec3(speed * dt, 0.0f, 0.0f) : glm::vec3(0.0f, 0.0f, speed * dt);
    modelMatrix = glm::translate(modelMatrix, step);
    tryJump();
    stepPhysics(dt);
    recordTransform();

    if (climbing) {
        if (historyIndex < int(transformHistory.size())) {
            modelMatrix = transformHistory[std::size_t(historyIndex)];
            ++historyIndex;
        } else {
            stepPhysics(dt);
        }
        if (groundHeight + groundTolerance >= position.y) {
            land();
            sidestepX = sidestepZ = climbing = false;
            turnAround = true;
            pendingX = pendingZ = false;
            clearHistory();
            blocked = false;
        }
    }
    if (!climbing && !hitsWall() && !blocked) {
        land();
    }
}

void MoveAbleObject::registerForCollisions() {
    if (active) {
        app::registerCollision(this);
    }
}

} // namespace pizzeria::scene
