// Every model file the game's model cache can ask for is in the run folder and
// loads the way the game loads it.
#include "tests/assetgen_models/ModelTestSupport.h"

#include "tools/assetgen/Models.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

using namespace modeltest;

namespace {

// The game's model numbers and files; 8 (terrain) is generated in the game.
const std::map<int, std::string> kGameFiles = {
    {0, "MainCharacter/mainCharacter.fbx"},
    {1, "MainCharacter/LeftArm/LeftHand.fbx"},
    {2, "MainCharacter/RightArm/RightHand.fbx"},
    {3, "MainCharacter/RightArm/Weapon/nailbat.fbx"},
    {4, "MainCharacter/Hat/hat.obj"},
    {5, "MainCharacter/Shoes/Shoes.obj"},
    {6, "Environment/ground.fbx"},
    {7, "SkyBox/Sky.fbx"},
    {9, "Ingridients/Bacon/Bacon.obj"},
    {10, "Ingridients/Corn/Corn.obj"},
    {11, "Ingridients/Egg/Egg.obj"},
    {12, "Ingridients/Garlic/garlic.obj"},
    {13, "Ingridients/Jalapeno/jalapeno.obj"},
    {14, "Ingridients/Pepper/pepper.obj"},
    {15, "Ingridients/Shrimp/Shrimp.obj"},
    {16, "Ingridients/Tomato/tomato.fbx"},
    {17, "Light/Moon/moon.obj"},
    {18, "Light/Lamp/lamp.obj"},
    {19, "Enemies/Gangster/gangster.obj"},
};

} // namespace

TEST(ModelTable, GeneratesExactlyTheGamesFiles) {
    std::map<int, std::string> generated;
    for (const assetgen::ModelFile& file : assetgen::modelFiles()) {
        EXPECT_TRUE(generated.emplace(file.kind, file.path).second) << "kind " << file.kind;
    }
    EXPECT_EQ(generated, kGameFiles);
}

class ModelFile : public ::testing::TestWithParam<std::pair<const int, std::string>> {};

TEST_P(ModelFile, ImportsWithinTheLimitsWithOneTextureBesideIt) {
    const std::string path = modelPath(GetParam().second);
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << path;
    const LoadedModel& model = gameModel(GetParam().first);
    ASSERT_TRUE(model.imported) << model.error;
    EXPECT_EQ(model.sceneFlags & AI_SCENE_FLAGS_INCOMPLETE, 0u);
    ASSERT_FALSE(model.meshes.empty());
    EXPECT_GT(model.triangleCount(), 20u);
    EXPECT_LE(model.triangleCount(), 5000u);
    for (const LoadedMesh& mesh : model.meshes) {
        EXPECT_TRUE(mesh.hasNormals);
        EXPECT_TRUE(mesh.hasUvs);
        ASSERT_EQ(mesh.diffuseTextures.size(), 1u);
        const std::string& name = mesh.diffuseTextures[0];
        // The game prefixes the model's folder, so the name must be bare.
        EXPECT_EQ(name.find_first_of("/\\"), std::string::npos) << name;
        EXPECT_EQ(std::filesystem::path(name).extension(), ".jpg");
        ASSERT_TRUE(mesh.textureLoaded) << name;
        EXPECT_GT(mesh.texture.width, 0);
        EXPECT_LE(mesh.texture.width, 512);
        EXPECT_LE(mesh.texture.height, 512);
        for (const Triangle& t : mesh.triangles) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_NEAR(glm::length(t.n[k]), 1.0f, 1e-3f);
                ASSERT_TRUE(glm::all(glm::greaterThanEqual(t.uv[k], glm::vec2(0.0f))) &&
                            glm::all(glm::lessThanEqual(t.uv[k], glm::vec2(1.0f))))
                    << "uv " << t.uv[k].x << ", " << t.uv[k].y;
            }
        }
    }
}

// Normals agree with the winding, so no part is inside out (the sky is seen
// from inside, so there both point inwards, which the sky's own test checks).
TEST_P(ModelFile, NormalsAgreeWithWinding) {
    const LoadedModel& model = gameModel(GetParam().first);
    std::size_t agree = 0, total = 0;
    for (const LoadedMesh& mesh : model.meshes) {
        for (const Triangle& t : mesh.triangles) {
            const glm::vec3 face = glm::cross(t.p[1] - t.p[0], t.p[2] - t.p[0]);
            if (glm::length(face) < 1e-7f) {
                continue; // pole slivers
            }
            ++total;
            agree += glm::dot(face, t.n[0] + t.n[1] + t.n[2]) > 0.0f ? 1 : 0;
        }
    }
    ASSERT_GT(total, 0u);
    EXPECT_GT(double(agree) / double(total), 0.97);
}

TEST_P(ModelFile, TextureIsUsedNotBlank) {
    // The surface should sample painted texels, not the atlas's unused black.
    const LoadedModel& model = gameModel(GetParam().first);
    const auto black = model.trianglesColoured([](glm::vec3 c) { return glm::length(c) < 0.02f; });
    EXPECT_LT(double(black.size()), 0.02 * double(model.triangleCount()));
}

INSTANTIATE_TEST_SUITE_P(AllModels, ModelFile, ::testing::ValuesIn(kGameFiles),
                         [](const auto& info) {
                             return "kind" + std::to_string(info.param.first);
                         });
