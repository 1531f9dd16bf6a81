#pragma once

#include "scene/SceneObject.h"

#include <glm/vec3.hpp>

#include <deque>

namespace pizzeria::scene {

namespace terrain {
class Terrain;
}

// A scene object that walks on the terrain: gravity and jumps, lives and a
// hurt state, a history of recent transforms, and an obstacle response that
// walks back along that history when the ground rises too steeply.
class MoveAbleObject : public SceneObject {
public:
    explicit MoveAbleObject(terrain::Terrain* terrain);

    // Called by the collision check when this object's boxes overlap `other`'s.
    virtual void onCollision(SceneObject* other);

    // The free movement step; by default random wandering.
    virtual void move(float dt);

    // Drops the object 10 units above the ground, at the next spawn point
    // unless it is the cook. Run once by whoever creates a walking object.
    void placeOnTerrain();

    // The standard frame of enemies and ingredients.
    void defaultUpdate(float dt);

    // Loses a life, starts the hurt state and plays a hit sound; so do all
    // attached parts, recursively.
    void hit();

    // Advances the hurt state; true while hurt, when movement is skipped.
    bool stepHurt(float dt);

    // Gravity for one step, then the ground height under the new position.
    // Walkers never leave the terrain: the step stops at its border.
    void stepPhysics(float dt);

    // Puts the object on the ground when the last step took it below, or a
    // little above without a jump (walking downhill).
    void land();

    // Refreshes `position` and the ground under it, then lands: after this
    // the object is nowhere below the ground.
    void standOnGround();

    // Starts a jump when standing on the ground.
    void tryJump();

    // After a physics step: true (and blocked, climbing) when the ground ahead
    // rose above both the last ground height and the object.
    bool hitsWall();

    // Walking into a wall stops at its foot: back to the pose before the step.
    void stopAtWall();

    // Remembers the current transform, newest first, at most maxHistory.
    void recordTransform();

    // The obstacle response: replay the history, then sidestep or turn.
    void backOff(float dt);

    // Puts the object on the frame's collision list while it is active.
    void registerForCollisions();

    bool inAir = false;
    int phaseFrames = 0;
    bool walking = true;
    std::deque<glm::mat4> transformHistory; // newest first
    std::deque<float> yawHistory;           // the cook's facing beside each entry
    float speed = 6.0f;
    float turnSpeed = 4.0f;
    bool blocked = false;
    int maxHistory = 50;
    int historyIndex = 0;
    float jumpSpeed = 13.0f;
    float baseGravity = -30.0f;
    float gravity = -30.0f;
    bool active = true;
    float hurtTimer = 0.0f;
    bool hurt = false;
    int lives = 1;
    terrain::Terrain* terrain = nullptr;
    glm::vec3 position{0.0f};
    float groundTolerance = 0.2f;
    float verticalSpeed = 0.0f;
    float previousVerticalSpeed = 0.0f;
    float groundHeight = 0.0f;
    float previousGroundHeight = 0.0f;
    bool sidestepX = false;
    bool sidestepZ = false;
    bool climbing = false;
    bool turnAround = false;
    bool pendingX = false;
    bool pendingZ = false;

private:
    void keepInsideBorder();
    void clearHistory();
    void replayStep();
    void sidestepStep(float dt);
};

} // namespace pizzeria::scene
