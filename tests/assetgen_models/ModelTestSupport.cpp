#include "tests/assetgen_models/ModelTestSupport.h"

#include "tools/assetgen/Models.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <map>

namespace modeltest {

glm::vec3 Texture::sample(glm::vec2 uv) const {
    const int x = std::clamp(int(uv.x * float(width)), 0, width - 1);
    const int y = std::clamp(int(uv.y * float(height)), 0, height - 1);
    const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
    return glm::vec3(p[0], p[1], p[2]) / 255.0f;
}

glm::vec3 LoadedModel::minCorner() const {
    glm::vec3 r(1e30f);
    for (const LoadedMesh& m : meshes) {
        for (const Triangle& t : m.triangles) {
            for (const glm::vec3& p : t.p) {
                r = glm::min(r, p);
            }
        }
    }
    return r;
}

glm::vec3 LoadedModel::maxCorner() const {
    glm::vec3 r(-1e30f);
    for (const LoadedMesh& m : meshes) {
        for (const Triangle& t : m.triangles) {
            for (const glm::vec3& p : t.p) {
                r = glm::max(r, p);
            }
        }
    }
    return r;
}

std::size_t LoadedModel::triangleCount() const {
    std::size_t n = 0;
    for (const LoadedMesh& m : meshes) {
        n += m.triangles.size();
    }
    return n;
}

std::vector<Triangle> LoadedModel::trianglesColoured(bool (*match)(glm::vec3)) const {
    std::vector<Triangle> out;
    for (const LoadedMesh& m : meshes) {
        for (const Triangle& t : m.triangles) {
            const glm::vec2 uv = (t.uv[0] + t.uv[1] + t.uv[2]) / 3.0f;
            if (m.textureLoaded && match(m.texture.sample(uv))) {
                out.push_back(t);
            }
        }
    }
    return out;
}

glm::vec3 centroidOf(const std::vector<Triangle>& triangles) {
    glm::vec3 sum(0.0f);
    float area = 0.0f;
    for (const Triangle& t : triangles) {
        sum += t.centroid() * t.area();
        area += t.area();
    }
    return area > 0.0f ? sum / area : sum;
}

std::string runDir() {
    return PIZZERIA_RUN_DIR;
}

std::string modelPath(const std::string& relative) {
    return runDir() + "/GameObjects/" + relative;
}

bool loadTexture(const std::string& path, Texture& out) {
    static const bool initialised = [] {
        ilInit();
        iluInit();
        return true;
    }();
    (void)initialised;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = ilLoadImage(path.c_str()) == IL_TRUE;
    if (ok) {
        ILinfo info;
        iluGetImageInfo(&info);
        if (info.Origin != IL_ORIGIN_UPPER_LEFT) {
            iluFlipImage();
        }
        ok = ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) == IL_TRUE;
    }
    if (ok) {
        out.width = ilGetInteger(IL_IMAGE_WIDTH);
        out.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const std::uint8_t* data = ilGetData();
        out.rgb.assign(data, data + std::size_t(out.width) * out.height * 3);
    }
    ilDeleteImages(1, &image);
    return ok;
}

namespace {

void collect(const aiScene* scene, const aiNode* node, const std::string& directory,
             LoadedModel& model) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        LoadedMesh out;
        out.hasNormals = mesh->HasNormals();
        out.hasUvs = mesh->HasTextureCoords(0);
        const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
        for (unsigned k = 0; k < material->GetTextureCount(aiTextureType_DIFFUSE); ++k) {
            aiString name;
            material->GetTexture(aiTextureType_DIFFUSE, k, &name);
            out.diffuseTextures.emplace_back(name.C_Str());
        }
        if (!out.diffuseTextures.empty()) {
            out.textureLoaded = loadTexture(directory + "/" + out.diffuseTextures[0], out.texture);
        }
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) {
                continue;
            }
            Triangle t;
            for (int k = 0; k < 3; ++k) {
                const unsigned v = face.mIndices[k];
                t.p[k] =
                    glm::vec3(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z);
                if (out.hasNormals) {
                    t.n[k] =
                        glm::vec3(mesh->mNormals[v].x, mesh->mNormals[v].y, mesh->mNormals[v].z);
                }
                if (out.hasUvs) {
                    t.uv[k] = glm::vec2(mesh->mTextureCoords[0][v].x, mesh->mTextureCoords[0][v].y);
                }
            }
            out.triangles.push_back(t);
        }
        model.meshes.push_back(std::move(out));
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c) {
        collect(scene, node->mChildren[c], directory, model);
    }
}

} // namespace

LoadedModel loadModel(const std::string& path) {
    LoadedModel model;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_FlipUVs);
    if (!scene || !scene->mRootNode) {
        model.error = importer.GetErrorString();
        return model;
    }
    model.imported = true;
    model.sceneFlags = scene->mFlags;
    collect(scene, scene->mRootNode, path.substr(0, path.find_last_of('/')), model);
    return model;
}

const LoadedModel& gameModel(int kind) {
    static std::map<int, LoadedModel> cache;
    auto found = cache.find(kind);
    if (found == cache.end()) {
        std::string relative;
        for (const assetgen::ModelFile& file : assetgen::modelFiles()) {
            if (file.kind == kind) {
                relative = file.path;
            }
        }
        found = cache.emplace(kind, loadModel(modelPath(relative))).first;
    }
    return found->second;
}

} // namespace modeltest
