// Models as the game loads them: the generated game models, and the ways a
// broken model or texture ends the game.
#include "assets/Model.h"
#include "tests/assets/AssetTest.h"
#include "tests/assets/GlProbe.h"
#include "tests/assets/ImageFiles.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace assettest;
using pizzeria::assets::BoundingBox;
using pizzeria::assets::Model;
using pizzeria::assets::Vertex;
using testing::HasSubstr;

namespace {

using Models = AssetTest;

std::string imageLoadFailure(const std::string& path) {
    ilInit();
    iluInit();
    return "ERROR: Image load failed - IL reports error: " +
           std::to_string(IL_COULD_NOT_OPEN_FILE) + " - " + iluErrorString(IL_COULD_NOT_OPEN_FILE) +
           ": " + path + "\n";
}

} // namespace

// Every model in the run folder, through the game's loader: each mesh has its
// texture, and its box (what collisions use) holds it under any placement.
TEST_F(Models, GameModelsLoadWithTexturesAndBoxesAroundEveryMesh) {
    const glm::mat4 placed =
        glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(4, -1, 9)), 0.8f, glm::vec3(1, 2, 0));
    int loaded = 0;
    for (const auto& entry : fs::recursive_directory_iterator(PIZZERIA_RUN_DIR "/GameObjects")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".obj" && ext != ".fbx") {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        ++loaded;
        const Model model(entry.path().string());
        ASSERT_FALSE(model.meshes.empty());
        ASSERT_EQ(model.boundingMeshes.size(), model.meshes.size());
        const auto boxes = model.boundingBoxes(glm::mat4(1.0f));
        const auto placedBoxes = model.boundingBoxes(placed);
        for (std::size_t m = 0; m < model.meshes.size(); ++m) {
            const auto& mesh = model.meshes[m];
            ASSERT_EQ(mesh.textures.size(), 1u) << "mesh " << m;
            EXPECT_GT(readTexels(mesh.textures[0].id).width, 0) << "mesh " << m;
            glm::vec3 lo = mesh.vertices.at(0).position;
            glm::vec3 hi = lo;
            for (const Vertex& v : mesh.vertices) {
                lo = glm::min(lo, v.position);
                hi = glm::max(hi, v.position);
                const glm::vec3 p = glm::vec3(placed * glm::vec4(v.position, 1.0f));
                const BoundingBox& box = placedBoxes[m];
                ASSERT_TRUE(glm::all(glm::greaterThanEqual(p, box.min - 1e-4f)) &&
                            glm::all(glm::lessThanEqual(p, box.max + 1e-4f)))
                    << "mesh " << m << " sticks out of its placed box at "
                    << testing::PrintToString(p);
            }
            EXPECT_EQ(boxes[m].min, lo) << "mesh " << m;
            EXPECT_EQ(boxes[m].max, hi) << "mesh " << m;
        }
    }
    EXPECT_GT(loaded, 0) << "no models in the run folder";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Without a slash the whole model path is taken as its folder, so textures are
// looked for under "crate.obj/", which is not a folder.
TEST_F(Models, PathWithoutSlashLooksForTexturesUnderTheWholePath) {
    writeText("crate.obj", "mtllib crate.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"
                           "usemtl painted\nf 1//1 2//1 3//1\n");
    writeText("crate.mtl", "newmtl painted\nmap_Kd wood.tga\n");
    writeTga("wood.tga", solid(2, 2, {150, 90, 40}), false, false);
    EXPECT_EXIT(
        {
            prepareToDie();
            Model model("crate.obj");
        },
        testing::ExitedWithCode(1), HasSubstr(imageLoadFailure("crate.obj/wood.tga")));
}

TEST_F(Models, ImportFailureEndsWithTheImportersMessage) {
    writeText("empty.obj", "");
    writeText("notes.unknownformat", "nothing any importer reads\n");
    for (const char* path : {"absent.obj", "empty.obj", "notes.unknownformat"}) {
        SCOPED_TRACE(path);
        Assimp::Importer importer;
        ASSERT_EQ(importer.ReadFile(path, aiProcess_Triangulate | aiProcess_FlipUVs), nullptr);
        const std::string expected = std::string("ERROR: ASSIMP: ") + importer.GetErrorString();
        ASSERT_GT(expected.size(), std::string("ERROR: ASSIMP: ").size());
        EXPECT_EXIT(
            {
                prepareToDie();
                Model model(path);
            },
            testing::ExitedWithCode(1), HasSubstr(expected + "\n"));
    }
}

// A material holds at most 1023 characters of texture path: a longer one still
// loads its image but is not kept as the texture's name.
TEST_F(Models, GeneratedGeometryKeepsTexturePathsUpToTheMaterialLimit) {
    const Rgba grass{30, 140, 60};
    const std::vector<Vertex> vertices = {{{-1, -1, 0}, {0, 1, 0}, {0, 0}},
                                          {{3, -1, 0}, {0, 1, 0}, {2, 0}},
                                          {{-1, 3, 0}, {0, 1, 0}, {0, 2}}};
    for (const std::size_t length : {1023u, 1024u}) {
        SCOPED_TRACE(length);
        const std::string texturePath = pathOfLength(fs::current_path(), length).string();
        ASSERT_EQ(texturePath.size(), length);
        writeTga(texturePath, solid(2, 2, grass), false, false);

        const Model model(vertices, {0, 1, 2}, texturePath);

        ASSERT_EQ(model.meshes.size(), 1u);
        ASSERT_EQ(model.meshes[0].textures.size(), 1u);
        const auto& texture = model.meshes[0].textures[0];
        EXPECT_EQ(texture.path, length <= 1023 ? texturePath : std::string());
        EXPECT_EQ(readTexels(texture.id).at(0, 0), grass);
        EXPECT_TRUE(model.boundingBoxes(glm::mat4(1.0f)).empty())
            << "generated geometry gets no boxes";
    }
}
