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
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <utility>
#include <vector>

namespace pizzeria::assets {

namespace {

// Longest texture path an Assimp material can hold.
constexpr std::size_t maxTexturePath = 1023;

// The guard below reads OBJ and material files the way Assimp's readers
// do, so that it sees the same statements. Both end a line at any of these.
bool endsLine(char c) {
    return c == '\n' || c == '\r' || c == '\0' || c == '\f';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The file's bytes as Assimp would get them: false when it cannot be opened.
// A directory opens (and reads as nothing) there, while a C++ stream would
// throw on its first read.
bool readFile(const std::string& path, std::string& text) {
    text.clear();
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// The lines of an OBJ file: a backslash right before a line end continues
// the line after the next newline.
std::vector<std::string> objLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && endsLine(text[i + 1])) {
            i = text.find('\n', i + 1);
            if (i == std::string::npos) {
                break;
            }
        } else if (endsLine(text[i])) {
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

// The material files an OBJ names. Assimp takes a line that starts with
// exactly "mtllib" (lower case, nothing before it) and, after any spaces and
// tabs, the rest of the line as one name, trailing blanks included.
std::vector<std::string> materialLibraries(const std::string& objText) {
    std::vector<std::string> names;
    for (const std::string& line : objLines(objText)) {
        if (line.compare(0, 6, "mtllib") != 0 || (line.size() > 6 && !isBlank(line[6]))) {
            continue;
        }
        const std::size_t name = line.find_first_not_of(" \t", 6);
        if (name != std::string::npos) {
            names.push_back(line.substr(name));
        }
    }
    return names;
}

bool startsWithAnyCase(const std::string& text, std::size_t at, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (at + i >= text.size() ||
            std::tolower(static_cast<unsigned char>(text[at + i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Assimp's material reader writes a texture statement (and an anisotropy
// value, "a") into the current material, which is null until the first line
// it takes for "newmtl": one starting "ne" or "Ne". It skips blanks at the
// start of every line but the file's first. Texture keywords are matched
// more widely here (after blanks, in any case) than Assimp matches them: no
// valid file has one before its first material. `materialExists` carries on
// from the OBJ's earlier material files.
bool statementBeforeMaterial(std::string text, bool& materialExists) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3); // Assimp drops the UTF-8 mark
    }
    bool firstLine = true;
    for (std::size_t start = 0; start <= text.size() && !materialExists;) {
        std::size_t end = start;
        while (end < text.size() && !endsLine(text[end])) {
            ++end;
        }
        std::size_t body = start;
        while (body < end && isBlank(text[body])) {
            ++body;
        }
        const std::size_t assimpStart = firstLine ? start : body;
        if (end - assimpStart >= 2 && (text[assimpStart] == 'n' || text[assimpStart] == 'N') &&
            text[assimpStart + 1] == 'e') {
            materialExists = true;
        } else if (body < end) {
            for (const char* keyword : {"map_", "bump", "disp", "norm", "refl", "decal"}) {
                if (startsWithAnyCase(text, body, keyword)) {
                    return true;
                }
            }
            if (text[body] == 'a') {
                return true;
            }
        }
        firstLine = false;
        start = end + 1;
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
    std::string objText;
    if (path.size() < 4 || !startsWithAnyCase(path, path.size() - 4, ".obj") ||
        !readFile(path, objText)) {
        return {};
    }
    // Assimp looks for material files in the OBJ's folder ("/" when the path
    // has none), and where a named one cannot be opened, at the OBJ's own
    // name ending in "mtl" instead.
    const std::size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? "/" : path.substr(0, slash + 1);
    const std::string fallback = path.substr(0, path.size() - 3) + "mtl";
    bool materialExists = false;
    for (const std::string& name : materialLibraries(objText)) {
        std::string mtlPath = folder + name;
        std::string text;
        if (!readFile(mtlPath, text)) {
            mtlPath = fallback;
            if (!readFile(mtlPath, text)) {
                continue;
            }
        }
        if (statementBeforeMaterial(text, materialExists)) {
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
                std::string file = directory;
                file += '/';
                file += path;
                files.push_back(std::move(file));
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
