#pragma once

#include "assets/Model.h"
#include "scene/Material.h"

#include <glm/mat4x4.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pizzeria::render {
class Shader;
struct ViewVolume;
} // namespace pizzeria::render

namespace pizzeria::scene {

// Anything placed in the world: a transform, a shared model, its own
// material, attached children and a table of pressed keys.
class SceneObject {
public:
    // Object categories held in `type`; collision reactions dispatch on them.
    enum Type {
        MainCharacterType = 0,
        IngredientType = 1,
        EnemyType = 2,
        LightType = 4,
        EnvironmentType = 5,
        BatType = 6
    };

    SceneObject() = default;
    virtual ~SceneObject();

    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // The object's own per-frame step.
    virtual void update(float dt);

    // The per-frame step of an attached part, called by its parent.
    virtual void followParent(float dt, float parentYaw, const glm::mat4& parentModelMatrix);

    // Uploads "model" and the material to the current program, draws the
    // model, then the children depth first with the same program. With a
    // `volume`, an object it cannot see is skipped; one with parts is always
    // drawn, as its boxes do not hold them.
    void draw(const render::Shader& shader, const render::ViewVolume* volume = nullptr) const;

    // The uploads of draw: "model" (the pose drawn) and the material.
    void uploadObjectUniforms(const render::Shader& shader) const;

    // Called at the start of every world step: the pose now is where the
    // frames drawn after the step start from. Children keep theirs too.
    void keepPose();

    // The pose `share` of the way through the last step: 1 is `modelMatrix`.
    // An object that has not lived through a whole step is drawn as it is.
    glm::mat4 poseAt(float share) const;

    // What the frame being drawn shows of the last world step, from 0 (the
    // pose before it) to 1 (the pose after it); set by the frame loop around
    // its passes. Every draw and upload shows the pose at this share.
    static inline float drawShare = 1.0f;

    // Takes ownership of `child`.
    void addChild(SceneObject* child);

    // A copy of the child list; the children stay owned by this object.
    std::vector<SceneObject*> getChildren() const;

    // The model's boxes in world space; empty without a model.
    std::vector<assets::BoundingBox> boundingBoxes() const;

    // Makes `model` from generated geometry through the model cache.
    void buildModel(std::vector<assets::Vertex> vertices, std::vector<std::uint32_t> indices,
                    const std::string& textureFile);

    std::vector<std::unique_ptr<SceneObject>> children;
    int type = 0;
    int modelKind = 0;
    assets::Model* model = nullptr; // shared, owned by the model cache
    std::unique_ptr<Material> material = std::make_unique<Material>();
    glm::mat4 modelMatrix{1.0f};
    glm::mat4 previousMatrix{1.0f}; // `modelMatrix` at the start of the last step
    bool poseKept = false;          // previousMatrix holds a step's start
    std::array<bool, 1024> keys{};
};

} // namespace pizzeria::scene
