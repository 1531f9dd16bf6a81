#include "scene/ingridients/Ingredients.h"

namespace pizzeria::scene::ingridients {

Bacon::Bacon(terrain::Terrain* terrain) : Ingridient(terrain, 1) {}

Corn::Corn(terrain::Terrain* terrain) : Ingridient(terrain, 2) {}

Egg::Egg(terrain::Terrain* terrain) : Ingridient(terrain, 3) {}

Garlic::Garlic(terrain::Terrain* terrain) : Ingridient(terrain, 4) {}

Jalapeno::Jalapeno(terrain::Terrain* terrain) : Ingridient(terrain, 5) {}

Pepper::Pepper(terrain::Terrain* terrain) : Ingridient(terrain, 6) {}

Shrimp::Shrimp(terrain::Terrain* terrain) : Ingridient(terrain, 7) {}

Tomato::Tomato(terrain::Terrain* terrain) : Ingridient(terrain, 8) {
    material->specular = glm::vec3(1.0f, 1.0f, 1.0f);
    material->shininess = 256.0f;
}

} // namespace pizzeria::scene::ingridients
