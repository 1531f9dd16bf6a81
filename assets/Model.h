#pragma once

#include "assets/BoundingBox.h"
#include "assets/Mesh.h"
#include "assets/Texture.h"
#include "assets/Vertex.h"

#include <GL/glew.h>
#include <glm/mat4x4.hpp>

#include <memory>
#include <string>
#include <vector>

struct aiMaterial;
struct aiMesh;
struct aiNode;
struct aiScene;

namespace pizzeria::render {
class Shader;
}

namespace pizzeria::assets {

struct ImportedScene;

// Reads a model file with Assimp and reports nothing: what loading the model
// needs, or why it cannot load. Safe on any thread.
ImportedScene importScene(const std::string& path);

// The texture files loading `imported` (read from `path`) will decode, in
// the order it decodes them.
std::vector<std::string> textureFilesOf(const ImportedScene& imported, const std::string& path);

// A drawable 3D model: its meshes in load order, and for a model read from a
// file one invisible box mesh per mesh, from which world-space boxes are made.
class Model {
public:
    // Imports the model file at `path` (or takes what a start-up worker
    // imported); a file that cannot be imported ends the program.
    explicit Model(const std::string& path);
    // One mesh from generated geometry with the image at `texturePath`.
    Model(std::vector<Vertex> vertices, std::vector<GLuint> indices,
          const std::string& texturePath);

    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;
    Model(Model&&) = default;
    Model& operator=(Model&&) = default;

    // Draws every mesh in order; the caller has made the program current and
    // set the per-object uniforms.
    void draw(const render::Shader& shader) const;

    // One world-space box per box mesh, around its corners under `modelMatrix`.
    std::vector<BoundingBox> boundingBoxes(const glm::mat4& modelMatrix) const;

    std::vector<Mesh> meshes;
    std::vector<std::unique_ptr<Mesh>> boundingMeshes;
    std::string directory;
    std::vector<Texture> loadedTextures; // per model: models never share textures

private:
    void loadModel(const std::string& path);
    void processNode(const aiNode* node, const aiScene* scene);
    Mesh processMesh(const aiMesh* mesh, const aiScene* scene);
    std::vector<Texture> loadMaterialTextures(const aiMaterial* material,
                                              const std::string& typeName);
};

} // namespace pizzeria::assets
