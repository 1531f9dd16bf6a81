#include "scene/SceneObject.h"

#include "app/ModelCache.h"
#include "render/Shader.h"
#include "render/ViewVolume.h"
#include "scene/PoseBlend.h"

#include <glm/gtc/type_ptr.hpp>

namespace pizzeria::scene {

SceneObject::~SceneObject() = default;

void SceneObject::update(float /*dt*/) {}

void SceneObject::followParent(float /*dt*/, float /*parentYaw*/,
                               const glm::mat4& /*parentModelMatrix*/) {}

void SceneObject::draw(const render::Shader& shader, const render::ViewVolume* volume) const {
    if (volume != nullptr && model != nullptr && children.empty() &&
        !volume->maySee(*model, poseAt(drawShare))) {
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
    const glm::mat4 pose = poseAt(drawShare);
    glUniformMatrix4fv(glGetUniformLocation(program, "model"), 1, GL_FALSE, glm::value_ptr(pose));
    glUniform3fv(glGetUniformLocation(program, "material.ambient"), 1,
                 glm::value_ptr(material->ambient));
    glUniform3fv(glGetUniformLocation(program, "material.diffuse"), 1,
                 glm::value_ptr(material->diffuse));
    glUniform3fv(glGetUniformLocation(program, "material.specular"), 1,
                 glm::value_ptr(material->specular));
    glUniform1f(glGetUniformLocation(program, "material.shininess"), material->shininess);
}

void SceneObject::keepPose() {
    previousMatrix = modelMatrix;
    poseKept = true;
    for (const auto& child : children) {
        child->keepPose();
    }
}

glm::mat4 SceneObject::poseAt(float share) const {
    return poseKept ? betweenPoses(previousMatrix, modelMatrix, share) : modelMatrix;
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
