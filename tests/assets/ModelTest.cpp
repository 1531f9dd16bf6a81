// Models read from files through the importer, and models made from generated
// geometry: their meshes, textures, box meshes and failure messages.
#include "assets/Model.h"
#include "tests/assets/AssetTest.h"
#include "tests/assets/GlProbe.h"
#include "tests/assets/ImageFiles.h"
#include "tests/assets/StreamCapture.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iostream>

namespace fs = std::filesystem;
using namespace assettest;
using pizzeria::app::gameSettings;
using pizzeria::assets::BoundingBox;
using pizzeria::assets::Model;
using pizzeria::assets::Vertex;
using testing::HasSubstr;

namespace {

using Models = AssetTest;

const std::string missingNormals = "ERROR: in 'Model' mesh->mNormals == NULL";

// A quad with normals and texture coordinates, and a bare triangle.
const char* const crateObj = R"(mtllib crate.mtl
v -1 0 -2
v 2 0 -2
v 2 3 5
v -1 3 5
vt 0 0
vt 1 0
vt 1 1
vt 0.25 0.75
vn 0 0 1
vn 0 1 0
o quad
usemtl painted
f 1/1/1 2/2/1 3/3/2 4/4/2
o tri
usemtl plain
f 1 3 2
)";

const char* const crateMtl = R"(newmtl painted
Kd 1 1 1
map_Kd wood.tga
newmtl plain
Kd 1 0 0
)";

const Rgba woodColour{150, 90, 40};

// Two meshes with normals and no material, with different extents.
const char* const twoBoxesObj = R"(v -1 0 -2
v 2 0 -2
v 2 3 5
v -1 3 5
v 10 -1 1
v 12 -1 1
v 11 4 -3
vn 0 1 0
o first
f 1//1 2//1 3//1 4//1
o second
f 5//1 6//1 7//1
)";

const BoundingBox firstExtent{{-1, 0, -2}, {2, 3, 5}};
const BoundingBox secondExtent{{10, -1, -3}, {12, 4, 1}};

// One triangle per entry, with or without normals; each object uses the
// material named in `materials` when one is given.
std::string triangles(const std::vector<bool>& withNormals,
                      const std::vector<std::string>& materials = {}) {
    std::string obj = materials.empty() ? "" : "mtllib set.mtl\n";
    obj += "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n";
    for (std::size_t i = 0; i < withNormals.size(); ++i) {
        obj += "o mesh" + std::to_string(i) + "\n";
        if (i < materials.size()) {
            obj += "usemtl " + materials[i] + "\n";
        }
        obj += withNormals[i] ? "f 1//1 2//1 3//1\n" : "f 1 2 3\n";
    }
    return obj;
}

std::size_t countLines(const std::string& text, const std::string& line) {
    const auto all = testsupport::lines(text);
    return std::size_t(std::count(all.begin(), all.end(), line));
}

void writeCrate(const fs::path& folder) {
    fs::create_directories(folder);
    writeText(folder / "crate.obj", crateObj);
    writeText(folder / "crate.mtl", crateMtl);
    writeTga(folder / "wood.tga", solid(2, 2, woodColour), false, false);
}

void expectBox(const BoundingBox& actual, const BoundingBox& expected) {
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(actual.min[axis], expected.min[axis], 1e-5f) << "min, axis " << axis;
        EXPECT_NEAR(actual.max[axis], expected.max[axis], 1e-5f) << "max, axis " << axis;
    }
}

const char* const positionVertex = R"(#version 330 core
layout (location = 0) in vec3 aPos;
layout (location = 2) in vec2 aTexCoords;
out vec2 texCoords;
void main() { texCoords = aTexCoords; gl_Position = vec4(aPos, 1.0); }
)";

const char* const diffuseFragment = R"(#version 330 core
struct Material { sampler2D diffuseTexture; };
uniform Material material;
in vec2 texCoords;
out vec4 FragColor;
void main() { FragColor = vec4(texture(material.diffuseTexture, texCoords).rgb, 1.0); }
)";

const char* const whiteFragment = R"(#version 330 core
out vec4 FragColor;
void main() { FragColor = vec4(1.0); }
)";

} // namespace

TEST_F(Models, ReadsEachMeshWithItsVerticesIndicesAndTexture) {
    writeCrate("models");
    StreamCapture out(std::cout);
    StreamCapture err(std::cerr);

    Model model("models/crate.obj");

    ASSERT_EQ(model.meshes.size(), 2u);
    EXPECT_EQ(model.directory, "models");

    const auto& quad = model.meshes[0];
    const glm::vec3 positions[] = {{-1, 0, -2}, {2, 0, -2}, {2, 3, 5}, {-1, 3, 5}};
    // Texture coordinates come flipped vertically: v becomes 1 - v.
    const glm::vec2 texCoords[] = {{0, 1}, {1, 1}, {1, 0}, {0.25f, 0.25f}};
    const glm::vec3 normals[] = {{0, 0, 1}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0}};
    ASSERT_EQ(quad.vertices.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(quad.vertices[i].position, positions[i]) << i;
        EXPECT_EQ(quad.vertices[i].normal, normals[i]) << i;
        EXPECT_EQ(quad.vertices[i].texCoords, texCoords[i]) << i;
    }
    // Triangulated into two triangles that together use all four corners.
    ASSERT_EQ(quad.indices.size(), 6u);
    EXPECT_THAT(quad.indices, testing::Each(testing::Lt(4u)));
    std::vector<GLuint> used = quad.indices;
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    EXPECT_EQ(used, (std::vector<GLuint>{0, 1, 2, 3}));
    ASSERT_EQ(quad.textures.size(), 1u);
    EXPECT_EQ(quad.textures[0].type, "material.diffuseTexture");
    EXPECT_EQ(quad.textures[0].path, "wood.tga");
    EXPECT_EQ(readTexels(quad.textures[0].id).at(1, 1), woodColour);

    // The bare triangle: its own vertices in face order, zero normals and
    // texture coordinates, and no texture from a material without one.
    const auto& tri = model.meshes[1];
    ASSERT_EQ(tri.vertices.size(), 3u);
    EXPECT_EQ(tri.vertices[0].position, positions[0]);
    EXPECT_EQ(tri.vertices[1].position, positions[2]);
    EXPECT_EQ(tri.vertices[2].position, positions[1]);
    for (const Vertex& v : tri.vertices) {
        EXPECT_EQ(v.normal, glm::vec3(0.0f));
        EXPECT_EQ(v.texCoords, glm::vec2(0.0f));
    }
    EXPECT_EQ(tri.indices, (std::vector<GLuint>{0, 1, 2}));
    EXPECT_TRUE(tri.textures.empty());

    EXPECT_EQ(testsupport::lines(err.text()), std::vector<std::string>{missingNormals});
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Models, MissingNormalsAreReportedOncePerMesh) {
    struct Case {
        const char* name;
        std::vector<bool> withNormals;
        std::size_t reports;
    };
    const Case cases[] = {
        {"all with normals", {true, true}, 0},
        {"one mesh without", {false}, 1},
        {"the second of two without", {true, false}, 1},
        {"two of three without", {false, true, false}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeText("normals.obj", triangles(c.withNormals));
        StreamCapture err(std::cerr);

        Model model("normals.obj");

        EXPECT_EQ(countLines(err.text(), missingNormals), c.reports);
        EXPECT_EQ(testsupport::lines(err.text()).size(), c.reports) << "nothing else on stderr";
        ASSERT_EQ(model.meshes.size(), c.withNormals.size());
        for (std::size_t m = 0; m < c.withNormals.size(); ++m) {
            const glm::vec3 normal = c.withNormals[m] ? glm::vec3(0, 0, 1) : glm::vec3(0.0f);
            for (const Vertex& v : model.meshes[m].vertices) {
                EXPECT_EQ(v.normal, normal) << "mesh " << m;
            }
        }
    }
}

TEST_F(Models, TexturesAreSharedWithinAModelButNotAcrossModels) {
    fs::create_directory("set");
    writeText("set/set.mtl", "newmtl a\nmap_Kd shared.tga\nnewmtl b\nmap_Kd shared.tga\n"
                             "newmtl c\nmap_Kd other.tga\n");
    writeText("set/set.obj", triangles({true, true, true}, {"a", "b", "c"}));
    const Rgba sharedColour{10, 200, 30};
    const Rgba otherColour{250, 5, 120};
    writeTga("set/shared.tga", solid(2, 2, sharedColour), false, false);
    writeTga("set/other.tga", solid(2, 2, otherColour), false, false);

    Model model("set/set.obj");
    ASSERT_EQ(model.meshes.size(), 3u);
    for (const auto& mesh : model.meshes) {
        ASSERT_EQ(mesh.textures.size(), 1u);
    }
    const GLuint a = model.meshes[0].textures[0].id;
    const GLuint b = model.meshes[1].textures[0].id;
    const GLuint c = model.meshes[2].textures[0].id;
    EXPECT_EQ(a, b) << "two materials naming one file load it once";
    EXPECT_NE(a, c);
    EXPECT_EQ(readTexels(a).at(0, 0), sharedColour);
    EXPECT_EQ(readTexels(c).at(0, 0), otherColour);
    ASSERT_EQ(model.loadedTextures.size(), 2u);
    EXPECT_EQ(model.loadedTextures[0].path, "shared.tga");
    EXPECT_EQ(model.loadedTextures[0].id, a);
    EXPECT_EQ(model.loadedTextures[1].path, "other.tga");
    EXPECT_EQ(model.loadedTextures[1].id, c);

    Model again("set/set.obj");
    ASSERT_EQ(again.meshes.size(), 3u);
    const GLuint a2 = again.meshes[0].textures[0].id;
    EXPECT_EQ(a2, again.meshes[1].textures[0].id);
    EXPECT_NE(a2, a) << "another model loads its own copy";
    EXPECT_NE(a2, c);
    EXPECT_EQ(readTexels(a2).at(0, 0), sharedColour);
}

TEST_F(Models, BoundingBoxesFollowTheModelMatrix) {
    writeText("boxes.obj", twoBoxesObj);
    Model model("boxes.obj");
    ASSERT_EQ(model.boundingMeshes.size(), 2u) << "one box mesh per mesh";
    for (const auto& box : model.boundingMeshes) {
        EXPECT_EQ(box->vertices.size(), 24u);
        EXPECT_TRUE(box->textures.empty());
    }

    const float quarter = glm::pi<float>() / 4.0f;
    const float c = std::cos(quarter);
    const float s = std::sin(quarter);
    // Rotating about y by 45 degrees: x' = c x + s z and z' = -s x + c z, so
    // each new extent is reached at the matching old extremes.
    const auto rotated = [c, s](const BoundingBox& e) {
        return BoundingBox{{c * e.min.x + s * e.min.z, e.min.y, -s * e.max.x + c * e.min.z},
                           {c * e.max.x + s * e.max.z, e.max.y, -s * e.min.x + c * e.max.z}};
    };
    glm::mat4 projective(1.0f);
    projective[3][3] = 2.0f; // w of every corner becomes 2, and stays undivided

    struct Case {
        const char* name;
        glm::mat4 matrix;
        std::function<BoundingBox(const BoundingBox&)> expected;
    };
    const Case cases[] = {
        {"identity", glm::mat4(1.0f), [](const BoundingBox& e) { return e; }},
        {"translation", glm::translate(glm::mat4(1.0f), glm::vec3(5, -2, 7)),
         [](const BoundingBox& e) {
             return BoundingBox{e.min + glm::vec3(5, -2, 7), e.max + glm::vec3(5, -2, 7)};
         }},
        {"45 degrees about y", glm::rotate(glm::mat4(1.0f), quarter, glm::vec3(0, 1, 0)), rotated},
        {"uniform scale 2", glm::scale(glm::mat4(1.0f), glm::vec3(2.0f)),
         [](const BoundingBox& e) {
             return BoundingBox{e.min * 2.0f, e.max * 2.0f};
         }},
        {"w not 1", projective, [](const BoundingBox& e) { return e; }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const auto boxes = model.boundingBoxes(test.matrix);
        ASSERT_EQ(boxes.size(), 2u);
        expectBox(boxes[0], test.expected(firstExtent));
        expectBox(boxes[1], test.expected(secondExtent));
    }
    // Under the identity the boxes are exactly the extents, not just close.
    const auto exact = model.boundingBoxes(glm::mat4(1.0f));
    EXPECT_EQ(exact[0].min, firstExtent.min);
    EXPECT_EQ(exact[0].max, firstExtent.max);
    EXPECT_EQ(exact[1].min, secondExtent.min);
    EXPECT_EQ(exact[1].max, secondExtent.max);
}

TEST_F(Models, DirectoryIsThePathUpToItsLastSlash) {
    struct Case {
        const char* path;
        const char* directory;
    };
    for (const Case& c : {Case{"plain.obj", "plain.obj"}, Case{"models/crate.obj", "models"},
                          Case{"models/deep/crate.obj", "models/deep"}, Case{"./crate.obj", "."}}) {
        SCOPED_TRACE(c.path);
        fs::create_directories(fs::path(c.path).parent_path() / ".");
        writeText(c.path, twoBoxesObj);
        EXPECT_EQ(Model(c.path).directory, c.directory);
    }
}

TEST_F(Models, PathWithoutSlashLooksForTexturesUnderTheWholePath) {
    writeText("crate.mtl", crateMtl);
    writeText("crate.obj", crateObj);
    writeTga("wood.tga", solid(2, 2, woodColour), false, false);
    ilInit();
    iluInit();
    const std::string expected =
        "ERROR: Image load failed - IL reports error: " + std::to_string(IL_COULD_NOT_OPEN_FILE) +
        " - " + iluErrorString(IL_COULD_NOT_OPEN_FILE) + ": crate.obj/wood.tga\n";
    EXPECT_EXIT(
        {
            prepareToDie();
            Model model("crate.obj");
        },
        testing::ExitedWithCode(1), HasSubstr(expected));
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

TEST_F(Models, NodeTransformationsAreIgnored) {
    // A glTF file whose node chain would scale the triangle by 2 and move it
    // 1.5 to the right and 6 up, out of the view.
    const float positions[] = {-0.9f, -0.9f, 0.0f, -0.1f, -0.9f, 0.0f, -0.5f, 0.9f, 0.0f};
    std::ofstream("tri.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(positions), sizeof(positions));
    writeText("moved.gltf", R"({
  "asset": {"version": "2.0"},
  "scene": 0,
  "scenes": [{"nodes": [0]}],
  "nodes": [
    {"name": "outer", "translation": [1.5, 0, 0], "scale": [2, 2, 2], "children": [1]},
    {"name": "inner", "translation": [0, 3, 0], "mesh": 0}
  ],
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}}]}],
  "buffers": [{"uri": "tri.bin", "byteLength": 36}],
  "bufferViews": [{"buffer": 0, "byteLength": 36}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
                 "min": [-0.9, -0.9, 0], "max": [-0.1, 0.9, 0]}]
})");
    StreamCapture err(std::cerr);
    Model model("moved.gltf");

    ASSERT_EQ(model.meshes.size(), 1u);
    ASSERT_EQ(model.meshes[0].vertices.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(model.meshes[0].vertices[i].position,
                  glm::vec3(positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]));
    }
    const auto boxes = model.boundingBoxes(glm::mat4(1.0f));
    ASSERT_EQ(boxes.size(), 1u);
    expectBox(boxes[0], BoundingBox{{-0.9f, -0.9f, 0}, {-0.1f, 0.9f, 0}});

    const auto shader = makeShader(".", "white", positionVertex, whiteFragment);
    OffscreenTarget target;
    target.clear({0, 0, 0});
    model.draw(*shader);
    const int n = target.size;
    EXPECT_EQ(target.pixel(n / 4, n * 2 / 5), (Rgba{255, 255, 255, 255}))
        << "drawn where its own coordinates put it";
    EXPECT_EQ(target.pixel(n * 3 / 4, n / 2), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(countLines(err.text(), missingNormals), 1u);
}

TEST_F(Models, GeneratedGeometryIsOneTexturedMeshWithoutBoxes) {
    const Rgba grass{30, 140, 60};
    struct Case {
        const char* name;
        std::size_t pathLength; // 0: a short relative path
        bool pathKept;
    };
    const Case cases[] = {
        {"short path", 0, true},
        {"longest path a material can hold", 1023, true},
        {"one character longer", 1024, false},
    };
    const std::vector<Vertex> vertices = {{{-1, -1, 0}, {0, 1, 0}, {0, 0}},
                                          {{3, -1, 0}, {0, 1, 0}, {2, 0}},
                                          {{-1, 3, 0}, {0, 1, 0}, {0, 2}}};
    const std::vector<GLuint> indices = {0, 1, 2};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string texturePath =
            c.pathLength == 0 ? "ground.tga"
                              : pathOfLength(fs::current_path(), c.pathLength).string();
        ASSERT_TRUE(c.pathLength == 0 || texturePath.size() == c.pathLength);
        writeTga(texturePath, solid(2, 2, grass), false, false);

        Model model(vertices, indices, texturePath);

        ASSERT_EQ(model.meshes.size(), 1u);
        const auto& mesh = model.meshes[0];
        ASSERT_EQ(mesh.vertices.size(), 3u);
        EXPECT_EQ(mesh.vertices[1].position, vertices[1].position);
        EXPECT_EQ(mesh.vertices[2].texCoords, vertices[2].texCoords);
        EXPECT_EQ(mesh.indices, indices);
        ASSERT_EQ(mesh.textures.size(), 1u);
        EXPECT_EQ(mesh.textures[0].type, "material.diffuseTexture");
        EXPECT_EQ(mesh.textures[0].path, c.pathKept ? texturePath : std::string());
        EXPECT_EQ(readTexels(mesh.textures[0].id).at(0, 0), grass);
        EXPECT_TRUE(model.boundingMeshes.empty());
        EXPECT_TRUE(model.boundingBoxes(glm::mat4(1.0f)).empty());
        EXPECT_TRUE(model.boundingBoxes(glm::scale(glm::mat4(1.0f), glm::vec3(3.0f))).empty());
        EXPECT_EQ(model.directory, "");
        EXPECT_TRUE(model.loadedTextures.empty());
    }
}

TEST_F(Models, DrawShowsTheTextureAndAppliesPendingFilterChanges) {
    const Rgba grass{30, 140, 60};
    writeTga("ground.tga", solid(2, 2, grass), false, false);
    writeTga("unused.tga", solid(2, 2, grass), false, false);
    Model model({{{-1, -1, 0}, {0, 1, 0}, {0, 0}},
                 {{3, -1, 0}, {0, 1, 0}, {2, 0}},
                 {{-1, 3, 0}, {0, 1, 0}, {0, 2}}},
                {0, 1, 2}, "ground.tga");
    const GLuint drawn = model.meshes[0].textures[0].id;
    const GLuint undrawn = pizzeria::assets::loadTexture("unused.tga");
    const auto shader = makeShader(".", "diffuse", positionVertex, diffuseFragment);
    OffscreenTarget target;

    // A frame without a key press leaves the filters alone.
    target.clear({0, 0, 0});
    model.draw(*shader);
    EXPECT_EQ(target.pixel(target.size / 2, target.size / 2), (Rgba{30, 140, 60, 255}));
    EXPECT_EQ(textureParameter(drawn, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);

    // The frame of a texture-quality key press: nearest on every drawn texture.
    gameSettings.texQuality = 2;
    gameSettings.texQualityChanged = true;
    model.draw(*shader);
    EXPECT_EQ(textureParameter(drawn, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(drawn, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(undrawn, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureParameter(undrawn, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    // Once the frame has cleared the flag, drawing keeps what the texture has.
    gameSettings.texQualityChanged = false;
    glBindTexture(GL_TEXTURE_2D, drawn);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    model.draw(*shader);
    EXPECT_EQ(textureParameter(drawn, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(textureParameter(drawn, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
