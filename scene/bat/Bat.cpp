#include "scene/bat/Bat.h"

#include "app/ModelCache.h"

#include <glm/gtc/matrix_transform.hpp>

#include <iostream>

namespace pizzeria::scene::bat {

Bat::Bat(terrain::Terrain* terrain) : MoveAbleObject(terrain) {
    type = BatType;
    modelKind = 3;
    model = app::getModel(modelKind);
}

void Bat::followParent(float /*dt*/, float /*parentYaw*/, const glm::mat4& parentModelMatrix) {
    modelMatrix = glm::scale(glm::rotate(parentModelMatrix, tilt, glm::vec3(1.0f, 0.0f, 0.0f)),
                             glm::vec3(3.0f));
    registerForCollisions();
}

void Bat::onCollision(SceneObject* other) {
    auto* victim = dynamic_cast<MoveAbleObject*>(other);
    if (victim == nullptr) {
        return;
    }
    if (other->type == EnemyType) {
        std::cout << "enemie hit by bat" << std::endl;
        victim->hit();
    } else if (other->type == IngredientType) {
        std::cout << "ingridient hit by bat" << std::endl;
        victim->hit();
    }
}

} // namespace pizzeria::scene::bat
