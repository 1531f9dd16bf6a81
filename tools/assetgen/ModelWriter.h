#pragma once

#include "tools/assetgen/JpegWriter.h"
#include "tools/assetgen/MeshBuilder.h"

#include <filesystem>
#include <string>

namespace assetgen {

// One generated model: a single mesh and the atlas it samples.
struct ModelData {
    MeshData mesh;
    RgbImage texture;
};

// Writes `model` to `path` (".obj" with its ".mtl", or ".fbx" as ASCII FBX)
// and its texture beside it as "<stem>.jpg", named in the material. Returns
// false after printing what failed.
bool writeModel(const std::filesystem::path& path, const std::string& name, const ModelData& model);

// Replaces the creation date of an ASCII FBX file by a fixed one, so that
// regenerating an unchanged model rewrites the same bytes.
std::string fixFbxCreationStamp(const std::string& text);

} // namespace assetgen
