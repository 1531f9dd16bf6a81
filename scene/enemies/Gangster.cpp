#include "scene/enemies/Gangster.h"

namespace pizzeria::scene::enemies {

namespace {

constexpr int gangsterModel = 19;

} // namespace

Gangster::Gangster(terrain::Terrain* terrain) : Enemie(terrain) {
    modelKind = gangsterModel;
}

} // namespace pizzeria::scene::enemies
