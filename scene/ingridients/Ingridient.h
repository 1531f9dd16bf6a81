#pragma once

#include "scene/MoveAbleObject.h"

namespace pizzeria::scene::ingridients {

// A pizza topping that roams the terrain until the bat knocks it over, and
// dances (spins and hops under strong gravity) while party mode plays.
class Ingridient : public MoveAbleObject {
public:
    // An ingredient of kind 1..8 on `terrain`, not yet placed and without a model.
    Ingridient(terrain::Terrain* terrain, int kind);

    // One frame: wandering in normal play, the dance in party mode; then
    // registers for collisions while active.
    void update(float dt) override;

    int kind = 0;
    bool gravityRestored = false;

private:
    void dance(float dt);
    void endObstacleResponse();
};

} // namespace pizzeria::scene::ingridients
