#include "scene/maincharacter/MainCharacter.h"

#include "app/ModelCache.h"
#include "scene/Angles.h"
#include "scene/hat/Hat.h"
#include "scene/leftArm/LeftArm.h"
#include "scene/rightArm/RightArm.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

namespace pizzeria::scene::maincharacter {

namespace {

constexpr float runFactor = 1.5f;
constexpr int startLives = 3;
const glm::vec3 upAxis{0.0f, 1.0f, 0.0f};

} // namespace

MainCharacter::MainCharacter(terrain::Terrain* terrain) : MoveAbleObject(terrain) {
    type = MainCharacterType;
    modelKind = 0;
    modelMatrix = glm::rotate(glm::mat4(1.0f), startYaw, upAxis);
    jumpSpeed = 10.0f;
    speed = 9.0f;
    lives = startLives;
    placeOnTerrain();
    model = app::getModel(modelKind);
    addChild(new rightArm::RightArm(terrain));
    addChild(new leftArm::LeftArm(terrain));
    addChild(new hat::Hat(terrain));
}

void MainCharacter::update(float dt) {
    stepHurt(dt); // the player keeps moving while hurt
    if (blocked) {
        backOffFromRise(dt);
    } else {
        recordPose();
        walk(dt);
        stepPhysics(dt);
        if (hitsWall()) {
            yaw = yawHistory.front();
            stopAtWall(); // the walk back starts next step
        } else if (!blocked) {
            land();
        }
    }
    standOnGround(); // a replayed or settling pose may lie under new ground
    updateParts(dt);
    registerForCollisions();
}

void MainCharacter::recordPose() {
    transformHistory.push_front(modelMatrix);
    yawHistory.push_front(yaw);
    if (int(transformHistory.size()) > maxHistory) {
        transformHistory.pop_back();
        yawHistory.pop_back();
    }
}

void MainCharacter::walk(float dt) {
    float distance = dt * speed;
    const float turn = dt * turnSpeed;
    if (keys[GLFW_KEY_LEFT_SHIFT]) {
        distance *= runFactor;
    }
    if (keys[GLFW_KEY_W]) {
        modelMatrix = glm::translate(modelMatrix, glm::vec3(0.0f, 0.0f, distance));
    }
    if (keys[GLFW_KEY_S]) {
        modelMatrix = glm::translate(modelMatrix, glm::vec3(0.0f, 0.0f, -distance));
    }
    if (keys[GLFW_KEY_A]) {
        modelMatrix = glm::rotate(modelMatrix, turn, upAxis);
        yaw = wrapAngle(yaw + turn);
    }
    if (keys[GLFW_KEY_D]) {
        modelMatrix = glm::rotate(modelMatrix, -turn, upAxis);
        yaw = wrapAngle(yaw - turn);
    }
    if (keys[GLFW_KEY_SPACE]) {
        tryJump(); // held, it jumps again at each landing
    }
}

void MainCharacter::backOffFromRise(float dt) {
    if (!settling) {
        // Walk back through the recorded frames, one per frame.
        if (historyIndex < int(transformHistory.size())) {
            modelMatrix = transformHistory[std::size_t(historyIndex)];
            yaw = yawHistory[std::size_t(historyIndex)];
            ++historyIndex;
        }
        if (historyIndex >= int(transformHistory.size())) {
            transformHistory.clear();
            yawHistory.clear();
            historyIndex = 0;
            settling = true;
        }
        return;
    }
    stepPhysics(dt);
    if (groundHeight + groundTolerance >= position.y) {
        settling = false;
        blocked = false;
    }
}

void MainCharacter::updateParts(float dt) {
    for (SceneObject* part : getChildren()) {
        part->keys = keys;
        part->followParent(dt, yaw, modelMatrix);
    }
}

void MainCharacter::revive() {
    lives = startLives;
    hurt = false;
    hurtTimer = 0.0f;
    active = true;
    // Dying shrank his transform: rebuild it from where he stands and faces.
    const glm::vec3 feet(modelMatrix[3]);
    modelMatrix = glm::rotate(glm::translate(glm::mat4(1.0f), feet), yaw, upAxis);
    standOnGround();
}

float MainCharacter::alignToCamera(float pendingTurn) {
    if (!keys[GLFW_KEY_W] && !keys[GLFW_KEY_S]) {
        return pendingTurn;
    }
    modelMatrix = glm::rotate(modelMatrix, twoPi - pendingTurn, upAxis);
    yaw = wrapAngle(twoPi - pendingTurn + yaw);
    return 0.0f;
}

} // namespace pizzeria::scene::maincharacter
