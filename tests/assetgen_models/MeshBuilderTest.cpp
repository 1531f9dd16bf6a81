// The generator's building blocks: surfaces, their normals and the atlas.
#include "tools/assetgen/MeshBuilder.h"
#include "tools/assetgen/Atlas.h"
#include "tools/assetgen/ModelWriter.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <functional>

using namespace assetgen;

namespace {

const Paint kPaint = Paint::flat(glm::vec2(0.5f));

// Every triangle's winding agrees with its vertex normals, and every vertex
// normal points away from `inside`.
void expectOutward(const MeshData& mesh, glm::vec3 inside) {
    ASSERT_FALSE(mesh.indices.empty());
    for (std::size_t i = 0; i < mesh.indices.size(); i += 3) {
        const Vertex& a = mesh.vertices[mesh.indices[i]];
        const Vertex& b = mesh.vertices[mesh.indices[i + 1]];
        const Vertex& c = mesh.vertices[mesh.indices[i + 2]];
        const glm::vec3 face = glm::cross(b.position - a.position, c.position - a.position);
        if (glm::length(face) > 1e-6f) {
            EXPECT_GT(glm::dot(face, a.normal + b.normal + c.normal), 0.0f) << "triangle " << i / 3;
        }
    }
    for (const Vertex& v : mesh.vertices) {
        EXPECT_NEAR(glm::length(v.normal), 1.0f, 1e-4f);
        EXPECT_GT(glm::dot(v.normal, v.position - inside), 0.0f);
    }
}

struct ShapeCase {
    const char* name;
    std::function<void(MeshData&)> build;
    glm::vec3 inside;
};

class Shape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Shape, NormalsPointOutward) {
    MeshData mesh;
    GetParam().build(mesh);
    expectOutward(mesh, GetParam().inside);
}

INSTANTIATE_TEST_SUITE_P(
    Builders, Shape,
    ::testing::Values(
        ShapeCase{"Ellipsoid",
                  [](MeshData& m) {
                      addEllipsoid(m, {1, 2, 3}, {0.5f, 1.0f, 0.3f}, 12, 8, kPaint);
                  },
                  {1, 2, 3}},
        ShapeCase{
            "Lathe",
            [](MeshData& m) {
                addLathe(m, {{0.0f, 0.0f}, {1.0f, 0.2f}, {0.8f, 1.0f}, {0.0f, 1.2f}}, 16, kPaint);
            },
            {0, 0.6f, 0}},
        ShapeCase{"LatheWithLobesPlaced",
                  [](MeshData& m) {
                      addLathe(m, {{0.0f, 0.0f}, {1.0f, 0.5f}, {0.0f, 1.0f}}, 24, kPaint,
                               glm::rotate(glm::mat4(1.0f), 1.0f, glm::vec3(1, 0, 0)),
                               [](float phi, float) { return 1.0f + 0.1f * std::cos(4.0f * phi); });
                  },
                  glm::vec3(glm::rotate(glm::mat4(1.0f), 1.0f, glm::vec3(1, 0, 0)) *
                            glm::vec4(0, 0.5f, 0, 1))},
        ShapeCase{"Tube",
                  [](MeshData& m) {
                      addTube(
                          m, [](float t) { return glm::vec3(0.0f, 0.0f, 2.0f * t); },
                          [](float t) { return 0.3f * std::sin(3.14159f * t) + 0.001f; }, 10, 6,
                          kPaint);
                  },
                  {0, 0, 1}},
        ShapeCase{"Box",
                  [](MeshData& m) {
                      addBox(m, {-1, 0, -2}, {1, 0.5f, 2}, kPaint,
                             glm::rotate(glm::mat4(1.0f), 0.7f, glm::vec3(0, 1, 0)));
                  },
                  {0, 0.25f, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeshData, LatheFollowsItsProfile) {
    MeshData mesh;
    addLathe(mesh, {{0.0f, 1.0f}, {0.5f, 1.5f}, {0.0f, 2.0f}}, 8, kPaint);
    EXPECT_NEAR(mesh.minCorner().y, 1.0f, 1e-5f);
    EXPECT_NEAR(mesh.maxCorner().y, 2.0f, 1e-5f);
    EXPECT_NEAR(mesh.maxCorner().x, 0.5f, 1e-5f);
    EXPECT_NEAR(mesh.minCorner().z, -0.5f, 1e-2f);
    // nu x nv quads of two triangles: 8 around, 2 rows per profile span.
    EXPECT_EQ(mesh.triangleCount(), 8u * 4u * 2u);
}

TEST(MeshData, MirroringTransformKeepsFacesOutward) {
    MeshData mesh;
    addEllipsoid(mesh, {0, 0, 0}, glm::vec3(1.0f), 8, 6, kPaint);
    mesh.transform(glm::scale(glm::mat4(1.0f), {-1.0f, 2.0f, 1.0f}));
    expectOutward(mesh, {0, 0, 0});
}

TEST(MeshData, AppendOffsetsIndices) {
    MeshData a, b;
    addBox(a, {0, 0, 0}, {1, 1, 1}, kPaint);
    addBox(b, {2, 0, 0}, {3, 1, 1}, kPaint);
    const std::size_t before = a.vertices.size();
    a.append(b);
    EXPECT_EQ(a.triangleCount(), 24u);
    for (std::size_t i = 36; i < a.indices.size(); ++i) {
        EXPECT_GE(a.indices[i], before);
        EXPECT_GE(a.vertices[a.indices[i]].position.x, 2.0f);
    }
}

TEST(Atlas, FlatCellsSampleTheirColourAndAreShared) {
    Atlas atlas(64);
    const Rgb colours[] = {rgb(255, 0, 0), rgb(0, 200, 40), rgb(10, 20, 250)};
    std::vector<Paint> paints;
    for (const Rgb& c : colours) {
        paints.push_back(atlas.flat(c));
    }
    EXPECT_EQ(atlas.flat(colours[0]).at(0, 0), paints[0].at(0, 0));
    for (std::size_t i = 0; i < paints.size(); ++i) {
        // File UV: v = 1 is the top row of the image.
        const glm::vec2 uv = paints[i].at(0.5f, 0.5f);
        const int x = int(uv.x * 64.0f);
        const int y = int((1.0f - uv.y) * 64.0f);
        const std::uint8_t* px = const_cast<RgbImage&>(atlas.image()).at(x, y);
        EXPECT_NEAR(px[0], colours[i].r * 255.0f, 1.0f);
        EXPECT_NEAR(px[1], colours[i].g * 255.0f, 1.0f);
        EXPECT_NEAR(px[2], colours[i].b * 255.0f, 1.0f);
    }
}

TEST(Atlas, PaintedRegionMapsCornersToTexelCentres) {
    Atlas atlas(32);
    atlas.flat(rgb(1, 2, 3)); // something first, so the region is not at the origin
    // Left half red, right half blue; bottom (t = 0) dark, top bright.
    const Paint p = atlas.painted(8, 4, [](float s, float t) {
        return Rgb(s < 0.5f ? 1.0f : 0.0f, t, s < 0.5f ? 0.0f : 1.0f);
    });
    auto texel = [&](float s, float t) {
        const glm::vec2 uv = p.at(s, t);
        return const_cast<RgbImage&>(atlas.image())
            .at(int(uv.x * 32.0f), int((1.0f - uv.y) * 32.0f));
    };
    EXPECT_EQ(texel(0.0f, 0.0f)[0], 255);
    EXPECT_EQ(texel(0.0f, 0.0f)[1], 0);
    EXPECT_EQ(texel(1.0f, 1.0f)[2], 255);
    EXPECT_EQ(texel(1.0f, 1.0f)[1], 255);
    EXPECT_EQ(texel(1.0f, 0.0f)[1], 0);
}

TEST(FbxStamp, FixesOnlyTheCreationDate) {
    const std::string text = "Header: {\n\tCreationTimeStamp:  {\n\t\tVersion: 1000\n"
                             "\t\tYear: 2031\n\t\tMonth: 7\n\t\tDay: 19\n\t\tHour: 23\n"
                             "\t\tMinute: 59\n\t\tSecond: 58\n\t\tMillisecond: 12\n\t}\n"
                             "\tCreator: \"x\"\n\tYear: 1999\n}\n";
    const std::string fixed = fixFbxCreationStamp(text);
    EXPECT_EQ(fixed.find("2031"), std::string::npos);
    EXPECT_NE(fixed.find("Year: 2024\n"), std::string::npos);
    EXPECT_NE(fixed.find("Millisecond: 0\n"), std::string::npos);
    EXPECT_NE(fixed.find("Version: 1000"), std::string::npos);
    EXPECT_NE(fixed.find("\tYear: 1999\n"), std::string::npos) << "outside the stamp: untouched";
    // A later run at another time gives the same text.
    std::string other = text;
    other.replace(other.find("2031"), 4, "2040");
    EXPECT_EQ(fixFbxCreationStamp(other), fixed);
    EXPECT_EQ(fixFbxCreationStamp("no stamp here"), "no stamp here");
}

} // namespace
