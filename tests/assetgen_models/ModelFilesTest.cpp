// Every model file the game's model cache can ask for is in the run folder and
// loads through the game's own loader.
#include "tests/assetgen_models/ModelTestSupport.h"

#include "app/ModelCache.h"
#include "tools/assetgen/Models.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <set>

using namespace modeltest;

// Each model number of the game but the terrain's 8, once, at the game's path.
TEST(ModelTable, GeneratesExactlyTheGamesFiles) {
    std::set<int> kinds;
    for (const assetgen::ModelFile& file : assetgen::modelFiles()) {
        EXPECT_TRUE(kinds.insert(file.kind).second) << "kind " << file.kind;
        EXPECT_EQ("GameObjects/" + file.path, pizzeria::app::modelPath(file.kind));
    }
    std::set<int> wanted;
    for (int kind = 0; kind < 20; ++kind) {
        if (kind != 8) {
            wanted.insert(kind);
        }
    }
    EXPECT_EQ(kinds, wanted);
}

// Within the limits, with one texture per mesh; normals agree with the
// winding, so no part is inside out (the sky's both point inwards); the
// surface samples painted texels, not the atlas's unused black; and each
// mesh's box, what collisions use, holds it tightly and under any placement.
TEST(ModelFiles, LoadWithinTheLimitsRightSideOutPaintedAndBoxed) {
    const glm::mat4 placed =
        glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(4, -1, 9)), 0.8f, glm::vec3(1, 2, 0));
    for (const assetgen::ModelFile& file : assetgen::modelFiles()) {
        SCOPED_TRACE(file.path);
        const LoadedModel& model = gameModel(file.kind);
        EXPECT_GT(model.triangleCount(), 20u);
        EXPECT_LE(model.triangleCount(), 5000u);
        const auto boxes = model.game->boundingBoxes(glm::mat4(1.0f));
        const auto placedBoxes = model.game->boundingBoxes(placed);
        ASSERT_EQ(boxes.size(), model.meshes.size());
        std::size_t agree = 0, total = 0;
        for (std::size_t m = 0; m < model.meshes.size(); ++m) {
            const LoadedMesh& mesh = model.meshes[m];
            ASSERT_EQ(mesh.textureCount, 1u);
            EXPECT_GT(mesh.texture.width, 0);
            EXPECT_LE(mesh.texture.width, 512);
            EXPECT_LE(mesh.texture.height, 512);
            glm::vec3 lo(1e30f), hi(-1e30f);
            for (const Triangle& t : mesh.triangles) {
                for (int k = 0; k < 3; ++k) {
                    ASSERT_NEAR(glm::length(t.n[k]), 1.0f, 1e-3f);
                    ASSERT_TRUE(glm::all(glm::greaterThanEqual(t.uv[k], glm::vec2(0.0f))) &&
                                glm::all(glm::lessThanEqual(t.uv[k], glm::vec2(1.0f))));
                    lo = glm::min(lo, t.p[k]);
                    hi = glm::max(hi, t.p[k]);
                    const glm::vec3 p = glm::vec3(placed * glm::vec4(t.p[k], 1.0f));
                    ASSERT_TRUE(glm::all(glm::greaterThanEqual(p, placedBoxes[m].min - 1e-4f)) &&
                                glm::all(glm::lessThanEqual(p, placedBoxes[m].max + 1e-4f)))
                        << "mesh " << m << " sticks out of its placed box";
                }
                const glm::vec3 face = glm::cross(t.p[1] - t.p[0], t.p[2] - t.p[0]);
                if (glm::length(face) >= 1e-7f) { // pole slivers have none
                    ++total;
                    agree += glm::dot(face, t.n[0] + t.n[1] + t.n[2]) > 0.0f ? 1 : 0;
                }
            }
            EXPECT_TRUE(boxes[m].min == lo && boxes[m].max == hi) << "mesh " << m;
        }
        EXPECT_GT(double(agree) / double(total), 0.97);
        const auto black =
            model.trianglesColoured([](glm::vec3 c) { return glm::length(c) < 0.02f; });
        EXPECT_LT(double(black.size()), 0.02 * double(model.triangleCount()));
    }
}
