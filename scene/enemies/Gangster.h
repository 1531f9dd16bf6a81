#pragma once

#include "scene/enemies/Enemie.h"

namespace pizzeria::scene::enemies {

// The one kind of enemy in the game.
class Gangster : public Enemie {
public:
    // A gangster on `terrain`, not yet placed and without a model.
    explicit Gangster(terrain::Terrain* terrain);

    static constexpr int gangsterModel = 19;
};

} // namespace pizzeria::scene::enemies
