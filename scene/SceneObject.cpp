#include "scene/SceneObject.h"

#include "app/ModelCache.h"
#include "render/Shader.h"
#include "render/ViewVolume.h"

#include <glm/gtc/type_ptr.hpp>

namespace pizzeria::scene {

SceneObject::~SceneObject() = default;

void SceneObject::update(float /*dt*/) {}

void SceneObject::followParent(float /*dt*/, float /*parentYaw*/,
                               const glm::mat4& /*parentModelMatrix*/) {}

void SceneObject::draw(const render::Shader& shader, const render::ViewVolume* volume) const {
    if (volume != nullptr && model != nullptr && children.empty() &&
        !volume->maySee(*model, modelMatrix)) {
        return;
    }
    uploadObjectUniforms(shader);
    if (model != nullptr) {
        model->draw(shader);
    }
    for (const auto& child : children) {
        child->draw(shader);
    }
}

void SceneObject::uploadObjectUniforms(const render::Shader& shader) const {
    const GLuint program = shader.program;
    glUniformMatrix4fv(glGetUniformLocation(program, "model"), 1, GL_FALSE,
                       glm::value_ptr(modelMatrix));
    glUniform3fv(glGetUniformLocation(program, "material.ambient"), 1,
                 glm::value_ptr(material->ambient));
    glUniform3fv(glGetUniformLocation(program, "material.diffuse"), 1,
                 glm::value_ptr(material->diffuse));
    glUniform3fv(glGetUniformLocation(program, "material.specular"), 1,
                 glm::value_ptr(material->specular));
    glUniform1f(glGetUniformLocation(program, "material.shininess"), material->shininess);
}

void SceneObject::addChild(SceneObject* child) {
    children.emplace_back(child);
}

std::vector<SceneObject*> SceneObject::getChildren() const {
    std::vector<SceneObject*> result;
    result.reserve(children.size());
    for (const auto& child : children) {
        result.push_back(child.get());
    }
    return result;
}

std::vector<assets::BoundingBox> SceneObject::boundingBoxes() const {
    if (model == nullptr) {
        return {};
    }
    return model->boundingBoxes(modelMatrix);
}

void SceneObject::buildModel(std::vector<assets::Vertex> vertices,
                             std::vector<std::uint32_t> indices, const std::string& textureFile) {
    model = app::getModel(modelKind, std::move(vertices), std::move(indices), textureFile);
}

} // namespace pizzeria::scene
