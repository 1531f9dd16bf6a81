#include "app/IngredientManager.h"

#include "app/ModelCache.h"
#include "scene/ingridients/Ingredients.h"

#include <algorithm>
#include <cstdlib>

namespace pizzeria::app {

namespace ingr = scene::ingridients;

namespace {

std::unique_ptr<ingr::Ingridient> makeIngredient(int kind, scene::terrain::Terrain* terrain) {
    switch (kind) {
    case 1:
        return std::make_unique<ingr::Bacon>(terrain);
    case 2:
        return std::make_unique<ingr::Corn>(terrain);
    case 3:
        return std::make_unique<ingr::Egg>(terrain);
    case 4:
        return std::make_unique<ingr::Garlic>(terrain);
    case 5:
        return std::make_unique<ingr::Jalapeno>(terrain);
    case 6:
        return std::make_unique<ingr::Pepper>(terrain);
    case 7:
        return std::make_unique<ingr::Shrimp>(terrain);
    case 8:
        return std::make_unique<ingr::Tomato>(terrain);
    default:
        return nullptr;
    }
}

int randomKind(const std::vector<int>& kinds) {
    return kinds[std::size_t(std::rand()) % kinds.size()];
}

} // namespace

IngredientManager::IngredientManager(scene::terrain::Terrain* terrain_) : terrain(terrain_) {
    newOrder();
    for (int kind : allKinds) {
        spawn(kind);
    }
}

ingr::Ingridient* IngredientManager::spawn(int kind) {
    std::unique_ptr<ingr::Ingridient> ingredient = makeIngredient(kind, terrain);
    if (!ingredient) {
        return nullptr;
    }
    ingredient->placeOnTerrain();
    ingredient->model = getModel(ingredient->modelKind);
    pending.push_back(std::move(ingredient));
    return pending.back().get();
}

void IngredientManager::update(float dt) {
    // The lists are compacted in place, in order, so a frame allocates nothing.
    std::size_t stayed = 0;
    for (auto& ingredient : live) {
        // Below 0 counts as knocked out too, so an ingredient hit twice still leaves.
        if (ingredient->lives > 0) {
            ingredient->update(dt);
            live[stayed++].swap(ingredient);
        } else {
            const int kind = ingredient->kind;
            dying.push_back(std::move(ingredient));
            collect(kind);
        }
    }
    live.resize(stayed);

    std::size_t stillDying = 0;
    for (auto& ingredient : dying) {
        if (ingredient->hurtTimer != 0.0f) {
            ingredient->update(dt);
            dying[stillDying++].swap(ingredient);
        }
    }
    dying.resize(stillDying); // the finished ones are destroyed here

    for (auto& ingredient : pending) {
        live.push_back(std::move(ingredient));
    }
    pending.clear();
}

void IngredientManager::draw(const render::Shader& shader, const render::ViewVolume* volume) const {
    for (const auto& ingredient : live) {
        ingredient->draw(shader, volume);
    }
    for (const auto& ingredient : dying) {
        ingredient->draw(shader, volume);
    }
}

void IngredientManager::newOrder() {
    pizzasCompleted += 1;
    order.clear();
    const int count = std::rand() % 3 + 2;
    for (int i = 0; i < count; ++i) {
        order.push_back(randomKind(allKinds));
    }
    for (int kind : order) {
        spawn(kind);
    }
}

void IngredientManager::collect(int kind) {
    const auto found = std::find(order.begin(), order.end(), kind);
    const bool wanted = found != order.end();
    if (wanted) {
        order.erase(found);
    }
    if (order.empty()) {
        newOrder();
    }
    if (wanted) {
        rightHits += 1;
    } else {
        wrongHits += 1;
    }
}

std::vector<std::string> IngredientManager::orderNames() const {
    std::vector<std::string> names;
    names.reserve(order.size());
    for (int kind : order) {
        names.push_back(ingredientName(kind));
    }
    return names;
}

std::string ingredientName(int kind) {
    switch (kind) {
    case 1:
        return "bacon";
    case 2:
        return "corn";
    case 3:
        return "egg";
    case 4:
        return "garlic";
    case 5:
        return "jalapeno";
    case 6:
        return "pepper";
    case 7:
        return "shrimp";
    case 8:
        return "tomato";
    default:
        return "no ingridient";
    }
}

} // namespace pizzeria::app
