// Each model has the size, ground contact and facing that the game's placement
// asks for.
#include "tests/assetgen_models/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace modeltest;

namespace {

struct Extent {
    int kind;
    const char* name;
    float heightMin, heightMax; // of max y
    float widthMin, widthMax;   // largest horizontal size
};

const Extent kExtents[] = {
    {0, "Cook", 1.7f, 2.1f, 1.2f, 1.9f},      {5, "Shoes", 0.1f, 0.4f, 0.4f, 1.0f},
    {9, "Bacon", 0.3f, 1.5f, 1.0f, 2.0f},     {10, "Corn", 0.3f, 1.5f, 1.0f, 2.0f},
    {11, "Egg", 0.6f, 1.5f, 0.75f, 2.0f},     {12, "Garlic", 0.6f, 1.5f, 1.0f, 2.0f},
    {13, "Jalapeno", 0.3f, 1.5f, 1.0f, 2.0f}, {14, "Pepper", 0.6f, 1.5f, 1.0f, 2.0f},
    {15, "Shrimp", 0.5f, 1.5f, 1.0f, 2.0f},   {16, "Tomato", 0.5f, 1.5f, 1.0f, 2.0f},
    {18, "Lamp", 2.5f, 3.5f, 0.3f, 1.2f},     {19, "Gangster", 1.8f, 2.2f, 0.8f, 1.8f},
};

TEST(ModelShapes, EachStandsOnTheGroundAtItsSize) {
    for (const Extent& e : kExtents) {
        SCOPED_TRACE(e.name);
        const auto [lo, hi] = gameModel(e.kind).extent();
        EXPECT_NEAR(lo.y, 0.0f, 0.02f);
        EXPECT_GE(hi.y, e.heightMin);
        EXPECT_LE(hi.y, e.heightMax);
        const float width = std::max(hi.x - lo.x, hi.z - lo.z);
        EXPECT_GE(width, e.widthMin);
        EXPECT_LE(width, e.widthMax);
        // Centred on the model's own vertical axis, where the game places it.
        EXPECT_NEAR((lo.x + hi.x) * 0.5f, 0.0f, 0.35f);
        EXPECT_NEAR((lo.z + hi.z) * 0.5f, 0.0f, 0.35f);
    }
}

// Which way a model faces shows in where a telling colour sits.
struct Feature {
    int kind;
    const char* name;
    bool (*match)(glm::vec3);
    float minZ, maxZ; // range of the feature's centroid z
    float minY, maxY; // only triangles in this height band count
};

// The cook's pupils are painted at 0.148; JPEG ringing around their small
// cell moves that by a few hundredths either way.
bool nearBlack(glm::vec3 c) {
    return glm::length(c) < 0.2f;
}
bool tieRed(glm::vec3 c) {
    return c.r > 0.5f && c.g < 0.2f && c.b < 0.2f;
}

const Feature kFeatures[] = {
    {0, "CookEyes", nearBlack, 0.15f, 1.0f, 1.3f, 2.0f},
    {19, "GangsterTie", tieRed, 0.1f, 1.0f, 1.0f, 1.6f},
    {15, "ShrimpEyesInFront", nearBlack, 0.1f, 1.0f, 0.0f, 2.0f},
};

TEST(ModelShapes, TellingFeaturesFaceForward) {
    for (const Feature& f : kFeatures) {
        SCOPED_TRACE(f.name);
        std::vector<Triangle> tris;
        for (const Triangle& t : gameModel(f.kind).trianglesColoured(f.match)) {
            if (t.centroid().y >= f.minY && t.centroid().y <= f.maxY) {
                tris.push_back(t);
            }
        }
        ASSERT_GE(tris.size(), 3u) << "feature colour not found";
        const glm::vec3 c = centroidOf(tris);
        EXPECT_GE(c.z, f.minZ);
        EXPECT_LE(c.z, f.maxZ);
    }
}

// The camera is inside the sky, so it is lit from inside: normals face the centre.
TEST(Sky, IsASphereSeenFromInside) {
    const LoadedModel& sky = gameModel(7);
    ASSERT_FALSE(sky.meshes.empty());
    for (const LoadedMesh& m : sky.meshes) {
        for (const Triangle& t : m.triangles) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_NEAR(glm::length(t.p[k]) * 300.0f, 300.0f, 3.0f);
                ASSERT_LT(glm::dot(t.n[k], t.p[k]), 0.0f) << "normals must face the centre";
            }
        }
    }
}

} // namespace
