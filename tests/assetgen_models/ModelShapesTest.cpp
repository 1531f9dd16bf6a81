// Each model has the size, ground contact, facing and colours that the game's
// placement and the art direction ask for.
#include "tests/assetgen_models/ModelTestSupport.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

using namespace modeltest;

namespace {

struct Extent {
    int kind;
    const char* name;
    float lowest;               // expected min y (NAN: free)
    float heightMin, heightMax; // of max y
    float widthMin, widthMax;   // largest horizontal size
};

const Extent kExtents[] = {
    {0, "Cook", 0.0f, 1.7f, 2.1f, 1.2f, 1.9f},      {5, "Shoes", 0.0f, 0.1f, 0.4f, 0.4f, 1.0f},
    {9, "Bacon", 0.0f, 0.3f, 1.5f, 0.8f, 1.5f},     {10, "Corn", 0.0f, 0.3f, 1.5f, 0.8f, 1.5f},
    {11, "Egg", 0.0f, 0.6f, 1.5f, 0.6f, 1.5f},      {12, "Garlic", 0.0f, 0.6f, 1.5f, 0.8f, 1.5f},
    {13, "Jalapeno", 0.0f, 0.3f, 1.5f, 0.8f, 1.5f}, {14, "Pepper", 0.0f, 0.6f, 1.5f, 0.8f, 1.5f},
    {15, "Shrimp", 0.0f, 0.5f, 1.5f, 0.8f, 1.5f},   {16, "Tomato", 0.0f, 0.5f, 1.5f, 0.8f, 1.5f},
    {18, "Lamp", 0.0f, 2.5f, 3.5f, 0.3f, 1.2f},     {19, "Gangster", 0.0f, 1.8f, 2.2f, 0.8f, 1.8f},
};

class ModelExtent : public ::testing::TestWithParam<Extent> {};

TEST_P(ModelExtent, StandsOnTheGroundAtItsSize) {
    const Extent& e = GetParam();
    const LoadedModel& model = gameModel(e.kind);
    ASSERT_TRUE(model.imported);
    const glm::vec3 lo = model.minCorner();
    const glm::vec3 hi = model.maxCorner();
    EXPECT_NEAR(lo.y, e.lowest, 0.02f);
    EXPECT_GE(hi.y, e.heightMin);
    EXPECT_LE(hi.y, e.heightMax);
    const float width = std::max(hi.x - lo.x, hi.z - lo.z);
    EXPECT_GE(width, e.widthMin);
    EXPECT_LE(width, e.widthMax);
    // Centred on the model's own vertical axis, where the game places it.
    EXPECT_NEAR((lo.x + hi.x) * 0.5f, 0.0f, 0.35f);
    EXPECT_NEAR((lo.z + hi.z) * 0.5f, 0.0f, 0.35f);
}

INSTANTIATE_TEST_SUITE_P(Models, ModelExtent, ::testing::ValuesIn(kExtents),
                         [](const auto& info) { return std::string(info.param.name); });

// Long ingredients lie along their walking direction, +z.
TEST(IngredientShape, LongOnesLieAlongTheirFront) {
    for (int kind : {9, 10, 13}) {
        const LoadedModel& model = gameModel(kind);
        const glm::vec3 size = model.maxCorner() - model.minCorner();
        EXPECT_GT(size.z, 1.5f * size.x) << "kind " << kind;
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

bool nearBlack(glm::vec3 c) {
    return glm::length(c) < 0.15f;
}
bool tieRed(glm::vec3 c) {
    return c.r > 0.5f && c.g < 0.2f && c.b < 0.2f;
}
bool huskGreen(glm::vec3 c) {
    return c.g > c.r + 0.08f && c.g > 0.45f && c.b < 0.5f;
}
bool pepperStem(glm::vec3 c) {
    return c.r > 0.3f && c.g < 0.6f && c.b < 0.3f && std::fabs(c.r - c.g) < 0.12f;
}

const Feature kFeatures[] = {
    {0, "CookEyes", nearBlack, 0.15f, 1.0f, 1.3f, 2.0f},
    {19, "GangsterTie", tieRed, 0.1f, 1.0f, 1.0f, 1.6f},
    {13, "JalapenoStemBehind", pepperStem, -1.0f, -0.3f, 0.0f, 2.0f},
    {10, "CornHuskBehind", huskGreen, -1.0f, -0.2f, 0.0f, 2.0f},
    {15, "ShrimpEyesInFront", nearBlack, 0.1f, 1.0f, 0.0f, 2.0f},
};

class ModelFacing : public ::testing::TestWithParam<Feature> {};

TEST_P(ModelFacing, TellingFeatureIsOnTheRightSide) {
    const Feature& f = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Models, ModelFacing, ::testing::ValuesIn(kFeatures),
                         [](const auto& info) { return std::string(info.param.name); });

// Ingredients are told apart by colour from afar: the surface's mean colour.
struct Look {
    int kind;
    const char* name;
    bool (*match)(glm::vec3);
};

const Look kLooks[] = {
    {9, "BaconRed", [](glm::vec3 c) { return c.r > 0.5f && c.r > c.g + 0.2f; }},
    {10, "CornYellow", [](glm::vec3 c) { return c.r > 0.6f && c.g > 0.5f && c.b < 0.35f; }},
    {11, "EggPale",
     [](glm::vec3 c) {
         return std::min({c.r, c.g, c.b}) > 0.65f;
     }},
    {12, "GarlicPale",
     [](glm::vec3 c) {
         return std::min({c.r, c.g, c.b}) > 0.6f;
     }},
    {13, "JalapenoGreen", [](glm::vec3 c) { return c.g > c.r + 0.15f && c.g > c.b + 0.15f; }},
    {14, "PepperRed", [](glm::vec3 c) { return c.r > 0.6f && c.g < 0.35f && c.b < 0.35f; }},
    {15, "ShrimpOrange",
     [](glm::vec3 c) { return c.r > 0.75f && c.g > 0.3f && c.g < 0.7f && c.b < 0.55f; }},
    {16, "TomatoRed", [](glm::vec3 c) { return c.r > 0.6f && c.g < 0.35f && c.b < 0.35f; }},
    {0, "CookWhite",
     [](glm::vec3 c) {
         return std::min({c.r, c.g, c.b}) > 0.6f;
     }},
    {19, "GangsterDark",
     [](glm::vec3 c) {
         return std::max({c.r, c.g, c.b}) < 0.4f;
     }},
};

class ModelLook : public ::testing::TestWithParam<Look> {};

TEST_P(ModelLook, MeanColourReads) {
    const glm::vec3 c = gameModel(GetParam().kind).meanColour();
    EXPECT_TRUE(GetParam().match(c)) << c.r << " " << c.g << " " << c.b;
}

INSTANTIATE_TEST_SUITE_P(Models, ModelLook, ::testing::ValuesIn(kLooks),
                         [](const auto& info) { return std::string(info.param.name); });

// The bacon is the one ingredient with two clearly different colours: fat
// streaks beside the lean.
TEST(IngredientLook, BaconHasFatStreaks) {
    const auto fat = gameModel(9).trianglesColoured(
        [](glm::vec3 c) { return c.r > 0.85f && c.g > 0.7f && c.b > 0.6f; });
    EXPECT_GT(fat.size(), 30u);
}

// Each undirected edge (positions welded) is used by exactly two triangles.
bool isClosed(const LoadedModel& model) {
    auto key = [](glm::vec3 p) {
        return std::make_tuple(std::lround(p.x * 1e4f), std::lround(p.y * 1e4f),
                               std::lround(p.z * 1e4f));
    };
    using Key = decltype(key(glm::vec3()));
    std::map<std::pair<Key, Key>, int> edges;
    for (const LoadedMesh& m : model.meshes) {
        for (const Triangle& t : m.triangles) {
            const Key corners[3] = {key(t.p[0]), key(t.p[1]), key(t.p[2])};
            if (corners[0] == corners[1] || corners[1] == corners[2] || corners[0] == corners[2]) {
                continue; // collapsed at a pole
            }
            for (int k = 0; k < 3; ++k) {
                Key a = corners[k];
                Key b = corners[(k + 1) % 3];
                if (b < a) {
                    std::swap(a, b);
                }
                ++edges[{a, b}];
            }
        }
    }
    return std::all_of(edges.begin(), edges.end(), [](const auto& e) { return e.second == 2; });
}

float luminance(glm::vec3 c) {
    return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
}

TEST(Sky, IsAClosedSphereSeenFromInside) {
    const LoadedModel& sky = gameModel(7);
    ASSERT_TRUE(sky.imported);
    EXPECT_TRUE(isClosed(sky));
    for (const LoadedMesh& m : sky.meshes) {
        for (const Triangle& t : m.triangles) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_NEAR(glm::length(t.p[k]) * 300.0f, 300.0f, 3.0f);
                ASSERT_LT(glm::dot(t.n[k], t.p[k]), 0.0f) << "normals must face the centre";
            }
        }
    }
}

TEST(Sky, GlowsAtTheHorizonAndHasStarsOnlyAboveIt) {
    const LoadedModel& sky = gameModel(7);
    // The game's placement: rotated by pi/2 about x.
    const glm::mat4 place = glm::rotate(glm::mat4(1.0f), glm::half_pi<float>(), glm::vec3(1, 0, 0));
    std::vector<float> horizon, high;
    int starsAbove = 0, starsBelow = 0;
    for (const LoadedMesh& m : sky.meshes) {
        for (const Triangle& t : m.triangles) {
            for (float a = 0.05f; a < 1.0f; a += 0.15f) {
                for (float b = 0.05f; a + b < 1.0f; b += 0.15f) {
                    const glm::vec3 p = t.p[0] * (1 - a - b) + t.p[1] * a + t.p[2] * b;
                    const glm::vec2 uv = t.uv[0] * (1 - a - b) + t.uv[1] * a + t.uv[2] * b;
                    const glm::vec3 world = glm::vec3(place * glm::vec4(p, 1.0f));
                    const float elevation = glm::degrees(std::asin(world.y / glm::length(world)));
                    const float lum = luminance(m.texture.sample(uv));
                    if (elevation > 0.5f && elevation < 6.0f) {
                        horizon.push_back(lum);
                    } else if (elevation > 50.0f) {
                        high.push_back(lum);
                    }
                    if (lum > 0.55f) {
                        (elevation > 0.0f ? starsAbove : starsBelow) += 1;
                    }
                }
            }
        }
    }
    ASSERT_FALSE(horizon.empty());
    ASSERT_FALSE(high.empty());
    std::nth_element(horizon.begin(), horizon.begin() + horizon.size() / 2, horizon.end());
    std::nth_element(high.begin(), high.begin() + high.size() / 2, high.end());
    EXPECT_GT(horizon[horizon.size() / 2], high[high.size() / 2] + 0.1f);
    EXPECT_LT(high[high.size() / 2], 0.15f) << "the night sky overhead is dark";
    EXPECT_GT(starsAbove, 20);
    EXPECT_EQ(starsBelow, 0);
}

TEST(Moon, IsACrateredSphereOfRadiusFive) {
    const LoadedModel& moon = gameModel(17);
    ASSERT_TRUE(moon.imported);
    EXPECT_TRUE(isClosed(moon));
    double sum = 0.0, sumSq = 0.0;
    std::size_t n = 0;
    for (const LoadedMesh& m : moon.meshes) {
        for (const Triangle& t : m.triangles) {
            for (const glm::vec3& p : t.p) {
                const double r = glm::length(p);
                sum += r;
                sumSq += r * r;
                ++n;
            }
        }
    }
    const double mean = sum / double(n);
    const double spread = std::sqrt(sumSq / double(n) - mean * mean);
    EXPECT_NEAR(mean, 5.0, 0.3);
    EXPECT_GT(spread, 0.03) << "craters should dent the surface";
    EXPECT_LT(spread, 0.4);
    const glm::vec3 centre = (moon.minCorner() + moon.maxCorner()) * 0.5f;
    EXPECT_LT(glm::length(centre), 0.3f);
}

TEST(Ground, IsAFlatTileAtZero) {
    const LoadedModel& ground = gameModel(6);
    EXPECT_NEAR(ground.maxCorner().y, 0.0f, 1e-4f);
    EXPECT_GT(ground.maxCorner().x - ground.minCorner().x, 1.0f);
}

TEST(Hat, SitsAboveItsOrigin) {
    const LoadedModel& hat = gameModel(4);
    EXPECT_GT(hat.minCorner().y, 0.0f);
    EXPECT_LT(hat.minCorner().y, 0.2f);
    EXPECT_GT(hat.maxCorner().y, 0.6f);
    EXPECT_NEAR(hat.maxCorner().x + hat.minCorner().x, 0.0f, 0.05f);
}

} // namespace
