#pragma once

#include "scene/ingridients/Ingridient.h"

namespace pizzeria::scene::ingridients {

// The eight toppings; each only gives an ingredient its kind (1 to 8 in this order).
class Bacon : public Ingridient {
public:
    // Kind 1 on `terrain`, not yet placed.
    explicit Bacon(terrain::Terrain* terrain);
};

class Corn : public Ingridient {
public:
    // Kind 2 on `terrain`, not yet placed.
    explicit Corn(terrain::Terrain* terrain);
};

class Egg : public Ingridient {
public:
    // Kind 3 on `terrain`, not yet placed.
    explicit Egg(terrain::Terrain* terrain);
};

class Garlic : public Ingridient {
public:
    // Kind 4 on `terrain`, not yet placed.
    explicit Garlic(terrain::Terrain* terrain);
};

class Jalapeno : public Ingridient {
public:
    // Kind 5 on `terrain`, not yet placed.
    explicit Jalapeno(terrain::Terrain* terrain);
};

class Pepper : public Ingridient {
public:
    // Kind 6 on `terrain`, not yet placed.
    explicit Pepper(terrain::Terrain* terrain);
};

class Shrimp : public Ingridient {
public:
    // Kind 7 on `terrain`, not yet placed.
    explicit Shrimp(terrain::Terrain* terrain);
};

class Tomato : public Ingridient {
public:
    // Kind 8 on `terrain`, not yet placed; its skin is shiny.
    explicit Tomato(terrain::Terrain* terrain);
};

} // namespace pizzeria::scene::ingridients
