#include "scene/enemies/Gangster.h"

namespace pizzeria::scene::enemies {

Gangster::Gangster(terrain::Terrain* terrain) : Enemie(terrain) {
    modelKind = gangsterModel;
}

} // namespace pizzeria::scene::enemies
