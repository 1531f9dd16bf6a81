#include "tools/assetgen/ModelWriter.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <fstream>
#include <iostream>
#include <sstream>

namespace assetgen {

namespace {

// The scene owns everything it points to and frees it in its destructor.
aiScene* makeScene(const std::string& name, const MeshData& data, const std::string& textureName) {
    auto* scene = new aiScene();
    scene->mRootNode = new aiNode("Root");
    auto* node = new aiNode(name);
    scene->mRootNode->addChildren(1, &node);
    node->mNumMeshes = 1;
    node->mMeshes = new unsigned int[1]{0};

    auto* mesh = new aiMesh();
    mesh->mName = name;
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = 0;
    const auto count = unsigned(data.vertices.size());
    mesh->mNumVertices = count;
    mesh->mVertices = new aiVector3D[count];
    mesh->mNormals = new aiVector3D[count];
    mesh->mTextureCoords[0] = new aiVector3D[count];
    mesh->mNumUVComponents[0] = 2;
    for (unsigned i = 0; i < count; ++i) {
        const Vertex& v = data.vertices[i];
        mesh->mVertices[i] = aiVector3D(v.position.x, v.position.y, v.position.z);
        mesh->mNormals[i] = aiVector3D(v.normal.x, v.normal.y, v.normal.z);
        mesh->mTextureCoords[0][i] = aiVector3D(v.uv.x, v.uv.y, 0.0f);
    }
    mesh->mNumFaces = unsigned(data.triangleCount());
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        mesh->mFaces[f].mNumIndices = 3;
        mesh->mFaces[f].mIndices = new unsigned int[3]{data.indices[3 * f], data.indices[3 * f + 1],
                                                       data.indices[3 * f + 2]};
    }
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh* [1] { mesh };

    auto* material = new aiMaterial();
    const aiString materialName(name + "Material");
    material->AddProperty(&materialName, AI_MATKEY_NAME);
    const aiColor3D white(1.0f, 1.0f, 1.0f);
    const aiColor3D grey(0.3f, 0.3f, 0.3f);
    material->AddProperty(&white, 1, AI_MATKEY_COLOR_DIFFUSE);
    material->AddProperty(&white, 1, AI_MATKEY_COLOR_AMBIENT);
    material->AddProperty(&grey, 1, AI_MATKEY_COLOR_SPECULAR);
    const aiString texture(textureName);
    material->AddProperty(&texture, AI_MATKEY_TEXTURE_DIFFUSE(0));
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial* [1] { material };
    return scene;
}

bool rewriteFbxStamp(const std::filesystem::path& path) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return false;
        }
        std::ostringstream buffer;
        buffer << in.rdbuf();
        text = buffer.str();
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << fixFbxCreationStamp(text);
    return bool(out);
}

} // namespace

std::string fixFbxCreationStamp(const std::string& text) {
    const std::string begin = "CreationTimeStamp:";
    const std::size_t start = text.find(begin);
    if (start == std::string::npos) {
        return text;
    }
    const std::size_t end = text.find('}', start);
    if (end == std::string::npos) {
        return text;
    }
    static const char* const fixed[][2] = {{"Year:", "2024"},    {"Month:", "1"},  {"Day:", "1"},
                                           {"Hour:", "0"},       {"Minute:", "0"}, {"Second:", "0"},
                                           {"Millisecond:", "0"}};
    std::string block = text.substr(start, end - start);
    for (const auto& field : fixed) {
        const std::size_t key = block.find(field[0]);
        if (key == std::string::npos) {
            continue;
        }
        const std::size_t valueStart = key + std::string(field[0]).size();
        const std::size_t lineEnd = block.find('\n', valueStart);
        block.replace(valueStart, lineEnd - valueStart, std::string(" ") + field[1]);
    }
    return text.substr(0, start) + block + text.substr(end);
}

bool writeModel(const std::filesystem::path& path, const std::string& name,
                const ModelData& model) {
    std::filesystem::create_directories(path.parent_path());
    const std::string textureName = path.stem().string() + ".jpg";
    if (!saveJpeg(path.parent_path() / textureName, model.texture)) {
        return false;
    }
    const bool fbx = path.extension() == ".fbx";
    aiScene* scene = makeScene(name, model.mesh, textureName);
    Assimp::Exporter exporter;
    const bool ok = exporter.Export(scene, fbx ? "fbxa" : "obj", path.string()) == AI_SUCCESS;
    delete scene;
    if (!ok) {
        std::cerr << "assetgen: could not write " << path << ": " << exporter.GetErrorString()
                  << std::endl;
        return false;
    }
    if (fbx && !rewriteFbxStamp(path)) {
        std::cerr << "assetgen: could not rewrite " << path << std::endl;
        return false;
    }
    return true;
}

} // namespace assetgen
