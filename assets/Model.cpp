#include "assets/Model.h"

#include "app/Console.h"
#include "assets/BoxMesh.h"
#include "assets/Preload.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <glm/common.hpp>
#include <glm/vec4.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>

namespace pizzeria::assets {

namespace {

// Longest texture path an Assimp material can hold.
constexpr std::size_t maxTexturePath = 1023;

// Assimp's material reader crashes (a null material) on a texture statement
// that comes before the first "newmtl" of a .mtl file; no valid file has one.
bool textureBeforeFirstMaterial(const std::string& mtlPath) {
    std::ifstream file(mtlPath);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "newmtl") {
            return false;
        }
        if (keyword.rfind("map_", 0) == 0 || keyword == "bump" || keyword == "disp" ||
            keyword == "refl" || keyword == "norm" || keyword == "decal") {
            return true;
        }
    }
    return false;
}

// What keeps `path` from reaching the importer, or empty when nothing does.
std::string refusedBeforeImport(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        // The OBJ reader takes a directory for an empty file and succeeds.
        return "Unable to open file \"" + path + "\".";
    }
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".obj") != 0) {
        return {};
    }
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    std::ifstream obj(path);
    std::string line;
    while (std::getline(obj, line)) {
        if (line.rfind("mtllib ", 0) != 0) {
            continue;
        }
        std::string name = line.substr(7);
        while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) {
            name.pop_back();
        }
        const std::string mtlPath = folder + name;
        if (textureBeforeFirstMaterial(mtlPath)) {
            return "texture statement before the first newmtl in " + mtlPath;
        }
    }
    return {};
}

} // namespace

Model::Model(const std::string& path) {
    loadModel(path);
}

Model::Model(std::vector<Vertex> vertices, std::vector<GLuint> indices,
             const std::string& texturePath) {
    Texture texture{loadTexture(texturePath), diffuseSampler,
                    texturePath.size() <= maxTexturePath ? texturePath : std::string()};
    std::vector<Texture> textures;
    textures.push_back(std::move(texture));
    meshes.emplace_back(std::move(vertices), std::move(indices), std::move(textures));
}

void Model::draw(const render::Shader& shader) const {
    for (const Mesh& mesh : meshes) {
        mesh.draw(shader);
    }
}

std::vector<BoundingBox> Model::boundingBoxes(const glm::mat4& modelMatrix) const {
    std::vector<BoundingBox> boxes;
    boxes.reserve(boundingMeshes.size());
    for (const auto& boxMesh : boundingMeshes) {
        // By reference: the collision check asks for every ordered pair.
        const std::vector<glm::vec3>& corners = boxMesh->corners();
        BoundingBox box;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            // No division by w: model matrices are affine.
            const glm::vec3 p = glm::vec3(modelMatrix * glm::vec4(corners[i], 1.0f));
            box.min = i == 0 ? p : glm::min(box.min, p);
            box.max = i == 0 ? p : glm::max(box.max, p);
        }
        boxes.push_back(box);
    }
    return boxes;
}

ImportedScene importScene(const std::string& path) {
    ImportedScene imported;
    imported.refused = refusedBeforeImport(path);
    if (!imported.refused.empty()) {
        return imported;
    }
    imported.importer = std::make_unique<Assimp::Importer>();
    imported.scene = imported.importer->ReadFile(path, aiProcess_Triangulate | aiProcess_FlipUVs);
    // Any incomplete scene is refused, even with other flags beside that bit.
    if (imported.scene == nullptr || (imported.scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0 ||
        imported.scene->mRootNode == nullptr) {
        imported.error = imported.importer->GetErrorString();
        imported.scene = nullptr;
    }
    return imported;
}

namespace {

void collectTextureFiles(const aiNode* node, const aiScene* scene, const std::string& directory,
                         std::vector<std::string>& seen, std::vector<std::string>& files) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const aiMaterial* material =
            scene->mMaterials[scene->mMeshes[node->mMeshes[i]]->mMaterialIndex];
        for (unsigned t = 0; t < aiGetMaterialTextureCount(material, aiTextureType_DIFFUSE); ++t) {
            aiString aiPath;
            aiGetMaterialTexture(material, aiTextureType_DIFFUSE, t, &aiPath);
            const std::string path(aiPath.C_Str(), aiPath.length);
            if (std::find(seen.begin(), seen.end(), path) == seen.end()) {
                seen.push_back(path);
                files.push_back(directory + "/" + path);
            }
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        collectTextureFiles(node->mChildren[i], scene, directory, seen, files);
    }
}

} // namespace

std::vector<std::string> textureFilesOf(const ImportedScene& imported, const std::string& path) {
    std::vector<std::string> seen;
    std::vector<std::string> files;
    if (imported.scene != nullptr) {
        collectTextureFiles(imported.scene->mRootNode, imported.scene,
                            path.substr(0, path.find_last_of('/')), seen, files);
    }
    return files;
}

void Model::loadModel(const std::string& path) {
    std::optional<ImportedScene> taken = takeImportedScene(path);
    // The importer owns the scene; both go when this function returns.
    const ImportedScene imported = taken ? std::move(*taken) : importScene(path);
    if (!imported.refused.empty()) {
        std::cout << "ERROR: ASSIMP: " << imported.refused << std::endl;
        app::exitAfterPause(1);
    }
    if (imported.scene == nullptr) {
        std::cout << "ERROR: ASSIMP: " << imported.error << std::endl;
        app::exitAfterPause(1);
    }
    directory = path.substr(0, path.find_last_of('/'));
    processNode(imported.scene->mRootNode, imported.scene);
}

void Model::processNode(const aiNode* node, const aiScene* scene) {
    // Node transformations are ignored on purpose: every mesh stays in its
    // own coordinates and the scene objects place the whole model.
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        meshes.push_back(processMesh(scene->mMeshes[node->mMeshes[i]], scene));
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        processNode(node->mChildren[i], scene);
    }
}

Mesh Model::processMesh(const aiMesh* mesh, const aiScene* scene) {
    std::vector<Vertex> vertices;
    vertices.reserve(mesh->mNumVertices);
    const aiVector3D* texCoords = mesh->mTextureCoords[0];
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
        Vertex vertex;
        vertex.position = {mesh->mVertices[i].x, mesh->mVertices[i].y, mesh->mVertices[i].z};
        if (mesh->mNormals != nullptr) {
            vertex.normal = {mesh->mNormals[i].x, mesh->mNormals[i].y, mesh->mNormals[i].z};
        } else if (i == 0) {
            std::cerr << "ERROR: in 'Model' mesh->mNormals == NULL" << std::endl;
        }
        if (texCoords != nullptr) {
            vertex.texCoords = {texCoords[i].x, texCoords[i].y};
        }
        vertices.push_back(vertex);
    }

    std::vector<GLuint> indices;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        indices.insert(indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
    }

    std::vector<Texture> textures =
        loadMaterialTextures(scene->mMaterials[mesh->mMaterialIndex], diffuseSampler);

    // A mesh without vertices has no extent, so it gets no box.
    if (const auto extent = extentOf(vertices)) {
        boundingMeshes.push_back(makeBoxMesh(*extent));
    }
    return Mesh(std::move(vertices), std::move(indices), std::move(textures));
}

std::vector<Texture> Model::loadMaterialTextures(const aiMaterial* material,
                                                 const std::string& typeName) {
    std::vector<Texture> textures;
    for (unsigned i = 0; i < aiGetMaterialTextureCount(material, aiTextureType_DIFFUSE); ++i) {
        aiString aiPath;
        aiGetMaterialTexture(material, aiTextureType_DIFFUSE, i, &aiPath);
        const std::string path(aiPath.C_Str(), aiPath.length);

        bool cached = false;
        for (const Texture& loaded : loadedTextures) {
            if (loaded.path == path) {
                textures.push_back(loaded);
                cached = true;
                break;
            }
        }
        if (cached) {
            continue;
        }
        const Texture texture{loadTexture(directory + "/" + path), typeName, path};
        textures.push_back(texture);
        loadedTextures.push_back(texture);
    }
    return textures;
}

} // namespace pizzeria::assets
