#pragma once

#include "scene/Angles.h"
#include "scene/MoveAbleObject.h"

namespace pizzeria::scene::maincharacter {

// The cook: walks, runs, turns and jumps by the keyboard, carries his right
// arm (with the bat), left arm and hat, and walks back out of steep rises.
class MainCharacter : public MoveAbleObject {
public:
    // Stands on the terrain at the origin, facing the camera's start, with
    // his three parts attached.
    explicit MainCharacter(terrain::Terrain* terrain);

    // One frame of the player, then of his parts.
    void update(float dt) override;

    // While walking (W or S held) turns to the camera by the gathered mouse
    // turn and returns 0; standing still, returns the turn unchanged.
    float alignToCamera(float pendingTurn);

    // Back to three lives, unhurt and at full size, where he stands and
    // facing where he faced: the start of a new round.
    void revive();

    // He starts facing +x, the way the camera starts looking: open, nearly
    // level ground from the middle of the map.
    static constexpr float startYaw = pi / 2.0f;

    float yaw = startYaw;  // facing angle in [0, 2pi)
    bool settling = false; // replay done, waiting to stand on the ground

private:
    void recordPose();
    void walk(float dt);
    void backOffFromRise(float dt);
    void updateParts(float dt);
};

} // namespace pizzeria::scene::maincharacter
