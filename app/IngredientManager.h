#pragma once

#include "render/ViewVolume.h"
#include "scene/ingridients/Ingridient.h"

#include <memory>
#include <string>
#include <vector>

namespace pizzeria::render {
class Shader;
}

namespace pizzeria::scene::terrain {
class Terrain;
}

namespace pizzeria::app {

// The ingredients in the world and the pizza order they are collected for.
// Owns every ingredient it creates, in exactly one of its three lists.
class IngredientManager {
public:
    using Ingredients = std::vector<std::unique_ptr<scene::ingridients::Ingridient>>;

    // Draws the first order and adds one ingredient of every kind, all pending.
    explicit IngredientManager(scene::terrain::Terrain* terrain);

    // Creates an ingredient of `kind` (1..8) at the next spawn point into
    // `pending`; null (and nothing spawned) for any other kind.
    scene::ingridients::Ingridient* spawn(int kind);

    // Collects knocked-out ingredients, updates the rest, finishes the dying
    // ones and then brings the pending ones into play.
    void update(float dt);

    // Draws the live ingredients, then the dying ones; with a `volume`, only
    // those it may see.
    void draw(const render::Shader& shader, const render::ViewVolume* volume = nullptr) const;

    // Counts a completed pizza, draws 2 to 4 kinds and spawns one of each.
    void newOrder();

    // Crosses the first `kind` off the order (a right hit) or counts a wrong hit.
    void collect(int kind);

    // The display names of the order, in order.
    std::vector<std::string> orderNames() const;

    scene::terrain::Terrain* terrain = nullptr;
    Ingredients live;
    Ingredients pending;
    Ingredients dying;
    std::vector<int> allKinds{1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<int> order;
    int wrongHits = 0;
    int rightHits = 0;
    int pizzasCompleted = -1; // the first order is drawn at construction and not paid
};

// "bacon" to "tomato" for kinds 1 to 8, else "no ingridient".
std::string ingredientName(int kind);

} // namespace pizzeria::app
