// The model cache: one load per model number, shared by every object, with
// numbers that have no file falling back to the cook's model.
#include "app/ModelCache.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using pizzeria::app::getModel;

namespace {

const char* const triangleObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\n"
                                "f 1/1/1 2/1/1 3/1/1\n";

class ModelSharing : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context.ok()) << "needs a display";
        const fs::path gangster = folder.path() / "GameObjects/Enemies/Gangster";
        fs::create_directories(gangster);
        std::ofstream(gangster / "gangster.obj") << triangleObj;
        previous = fs::current_path();
        fs::current_path(folder.path());
    }
    void TearDown() override { fs::current_path(previous); }

    testsupport::GlContext context;
    testsupport::TempDir folder;
    fs::path previous;
};

} // namespace

TEST_F(ModelSharing, EveryRequestForANumberGetsTheSameModel) {
    auto* first = getModel(19);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->meshes.size(), 1u);
    // Once loaded, the file is never read again.
    fs::remove(folder.path() / "GameObjects/Enemies/Gangster/gangster.obj");
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(getModel(19), first);
    }
    // The other entry point shares the map and ignores its geometry.
    EXPECT_EQ(getModel(19, {}, {}, "unused.png"), first);
}

TEST_F(ModelSharing, GeneratedGeometryIsKeptUnderItsNumber) {
    pizzeria::assets::Vertex corner;
    corner.normal = {0.0f, 1.0f, 0.0f};
    std::vector<pizzeria::assets::Vertex> vertices(3, corner);
    vertices[1].position = {1.0f, 0.0f, 0.0f};
    vertices[2].position = {0.0f, 0.0f, 1.0f};
    // A tiny texture the generated model binds.
    std::ofstream(folder.path() / "tiny.ppm") << "P3\n1 1\n255\n10 200 30\n";

    auto* generated = getModel(8, vertices, {0, 1, 2}, "tiny.ppm");
    ASSERT_NE(generated, nullptr);
    ASSERT_EQ(generated->meshes.size(), 1u);
    EXPECT_EQ(generated->meshes[0].indices.size(), 3u);
    EXPECT_TRUE(generated->boundingBoxes(glm::mat4(1.0f)).empty());

    auto* again = getModel(8, {}, {}, "tiny.ppm");
    EXPECT_EQ(again, generated);
    EXPECT_EQ(again->meshes[0].indices.size(), 3u) << "later geometry must be ignored";
    EXPECT_EQ(getModel(8), generated);
}
