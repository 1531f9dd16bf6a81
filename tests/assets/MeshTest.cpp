// Meshes on the GPU: buffer layout, drawing with textures, and the box meshes
// from which models report their bounding boxes.
#include "assets/Mesh.h"
#include "assets/BoxMesh.h"
#include "tests/assets/AssetTest.h"
#include "tests/assets/GlProbe.h"

#include <glm/vec4.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

using namespace assettest;
using pizzeria::assets::BoundingBox;
using pizzeria::assets::extentOf;
using pizzeria::assets::makeBoxMesh;
using pizzeria::assets::Mesh;
using pizzeria::assets::Texture;
using pizzeria::assets::Vertex;
using testing::UnorderedElementsAreArray;

namespace {

using Meshes = AssetTest;

Vertex at(float x, float y, float z) {
    return Vertex{{x, y, z}, {0, 0, 0}, {0, 0}};
}

// A quad over the whole viewport, texture coordinates from 0 to 1.
std::vector<Vertex> fullScreenQuad() {
    return {{{-1, -1, 0}, {0, 0, 1}, {0, 0}},
            {{1, -1, 0}, {0, 0, 1}, {1, 0}},
            {{1, 1, 0}, {0, 0, 1}, {1, 1}},
            {{-1, 1, 0}, {0, 0, 1}, {0, 1}}};
}

const std::vector<GLuint> quadIndices = {0, 1, 2, 0, 2, 3};

const char* const passThroughVertex = R"(#version 330 core
layout (location = 0) in vec3 aPos;
layout (location = 2) in vec2 aTexCoords;
out vec2 texCoords;
void main() { texCoords = aTexCoords; gl_Position = vec4(aPos, 1.0); }
)";

// Red from the first texture, green from the second: each must sit on the
// unit its sampler names.
const char* const twoSamplerFragment = R"(#version 330 core
in vec2 texCoords;
out vec4 FragColor;
uniform sampler2D first;
uniform sampler2D second;
void main() {
    FragColor = vec4(texture(first, texCoords).r, texture(second, texCoords).g, 0.0, 1.0);
}
)";

GLuint solidTexture(Rgba colour) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &colour);
    return texture;
}

} // namespace

TEST_F(Meshes, UploadsInterleavedVerticesAndIndices) {
    const std::vector<Vertex> vertices = fullScreenQuad();
    Mesh mesh(vertices, quadIndices);
    ASSERT_NE(mesh.vao, 0u);
    ASSERT_NE(mesh.vbo, 0u);
    ASSERT_NE(mesh.ebo, 0u);
    EXPECT_EQ(mesh.indices, quadIndices);

    GLint boundArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    EXPECT_EQ(boundArray, 0) << "the vertex array is unbound after setup";

    glBindVertexArray(mesh.vao);
    GLint elementBuffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    EXPECT_EQ(GLuint(elementBuffer), mesh.ebo);
    GLint size = 0;
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, GLint(quadIndices.size() * 4));

    struct Attribute {
        GLuint location;
        GLint components;
        std::uintptr_t offset;
    };
    for (const Attribute& a : {Attribute{0, 3, 0}, Attribute{1, 3, 12}, Attribute{2, 2, 24}}) {
        SCOPED_TRACE(a.location);
        GLint value = 0;
        glGetVertexAttribiv(a.location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &value);
        EXPECT_EQ(value, GL_TRUE);
        glGetVertexAttribiv(a.location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &value);
        EXPECT_EQ(value, a.components);
        glGetVertexAttribiv(a.location, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &value);
        EXPECT_EQ(value, 32);
        glGetVertexAttribiv(a.location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &value);
        EXPECT_EQ(value, GL_FALSE);
        glGetVertexAttribiv(a.location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &value);
        EXPECT_EQ(GLuint(value), mesh.vbo);
        void* offset = nullptr;
        glGetVertexAttribPointerv(a.location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(offset), a.offset);
    }
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, GLint(vertices.size() * 32));
    glBindVertexArray(0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Meshes, DrawBindsEachTextureToTheUnitItsSamplerNames) {
    const auto shader = makeShader(".", "twoSamplers", passThroughVertex, twoSamplerFragment);
    const GLuint red = solidTexture({200, 0, 0});
    const GLuint green = solidTexture({0, 120, 0});
    // Swapped initial sampler values: only the draw's uploads make them right.
    glUniform1i(glGetUniformLocation(shader->program, "first"), 1);
    glUniform1i(glGetUniformLocation(shader->program, "second"), 0);
    Mesh mesh(fullScreenQuad(), quadIndices,
              {Texture{red, "first", "r.tga"}, Texture{green, "second", "g.tga"}});

    OffscreenTarget target;
    target.clear({0, 0, 255});
    mesh.draw(*shader);

    EXPECT_EQ(target.pixel(target.size / 2, target.size / 2), (Rgba{200, 120, 0, 255}));
    GLint sampler = -1;
    glGetUniformiv(shader->program, glGetUniformLocation(shader->program, "first"), &sampler);
    EXPECT_EQ(sampler, 0);
    glGetUniformiv(shader->program, glGetUniformLocation(shader->program, "second"), &sampler);
    EXPECT_EQ(sampler, 1);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        glActiveTexture(unit);
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0) << "unit " << unit - GL_TEXTURE0 << " is unbound after the draw";
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(MeshExtent, CoversEveryPositionAndIsAbsentWithoutVertices) {
    EXPECT_FALSE(extentOf({}).has_value());

    const auto single = extentOf({at(1, -2, 3)});
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->min, glm::vec3(1, -2, 3));
    EXPECT_EQ(single->max, glm::vec3(1, -2, 3));

    // Each axis reaches its extremes at a different vertex, none of them first.
    const auto spread = extentOf({at(0, 0, 0), at(-4, 1, 2), at(3, -5, 1), at(1, 2, -6)});
    ASSERT_TRUE(spread.has_value());
    EXPECT_EQ(spread->min, glm::vec3(-4, -5, -6));
    EXPECT_EQ(spread->max, glm::vec3(3, 2, 2));
}

TEST_F(Meshes, BoxMeshHasTheFixedFaceLayout) {
    const glm::vec3 lo(-1.5f, 0.25f, -3.0f);
    const glm::vec3 hi(2.0f, 4.0f, 0.5f);
    const auto box = makeBoxMesh(BoundingBox{lo, hi});
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->vao, 0u);
    EXPECT_TRUE(box->textures.empty());

    // Corner codes: for each axis 0 picks the minimum, 1 the maximum.
    struct Face {
        glm::vec3 normal;
        int corners[4][3];
    };
    const Face faces[6] = {
        {{0, -1, 0}, {{1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0, 0, 0}}},
        {{0, 1, 0}, {{1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {1, 1, 1}}},
        {{1, 0, 0}, {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}},
        {{0, 0, 1}, {{1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0, 0, 1}}},
        {{-1, 0, 0}, {{0, 0, 1}, {0, 1, 1}, {0, 1, 0}, {0, 0, 0}}},
        {{0, 0, -1}, {{1, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 0}}},
    };
    ASSERT_EQ(box->vertices.size(), 24u);
    ASSERT_EQ(box->indices.size(), 36u);
    for (int f = 0; f < 6; ++f) {
        for (int k = 0; k < 4; ++k) {
            const Vertex& v = box->vertices[std::size_t(4 * f + k)];
            const int* c = faces[f].corners[k];
            const glm::vec3 expected(c[0] ? hi.x : lo.x, c[1] ? hi.y : lo.y, c[2] ? hi.z : lo.z);
            EXPECT_EQ(v.position, expected) << "face " << f << " vertex " << k;
            EXPECT_EQ(v.normal, faces[f].normal) << "face " << f << " vertex " << k;
            EXPECT_EQ(v.texCoords, glm::vec2(0.0f)) << "face " << f << " vertex " << k;
        }
        const GLuint b = GLuint(4 * f);
        const std::vector<GLuint> faceIndices(box->indices.begin() + 6 * f,
                                              box->indices.begin() + 6 * f + 6);
        EXPECT_EQ(faceIndices, (std::vector<GLuint>{b, b + 1, b + 2, b, b + 2, b + 3}))
            << "face " << f;
    }
}

TEST_F(Meshes, CornersOfABoxAreItsEightCornersAndAreKept) {
    const glm::vec3 lo(-1, -2, -3);
    const glm::vec3 hi(4, 5, 6);
    const auto box = makeBoxMesh(BoundingBox{lo, hi});
    std::vector<glm::vec3> all;
    for (float x : {lo.x, hi.x}) {
        for (float y : {lo.y, hi.y}) {
            for (float z : {lo.z, hi.z}) {
                all.emplace_back(x, y, z);
            }
        }
    }
    const std::vector<glm::vec3> first = box->corners();
    EXPECT_THAT(first, UnorderedElementsAreArray(all));
    // Vertices 12-15 and 20-23 in order: the z faces.
    for (std::size_t i = 0; i < 4 && first.size() == 8; ++i) {
        EXPECT_EQ(first[i], box->vertices[12 + i].position);
        EXPECT_EQ(first[4 + i], box->vertices[20 + i].position);
    }

    // Found once: later edits to the vertex list do not change the answer.
    box->vertices[12].position = glm::vec3(100.0f);
    EXPECT_EQ(box->corners(), first);
}

TEST_F(Meshes, CornersAreOnlyVerticesFacingAlongZ) {
    std::vector<Vertex> vertices = {
        {{1, 1, 1}, {0, 0, 1}, {0, 0}},  {{2, 2, 2}, {0, 1, 0}, {0, 0}},
        {{3, 3, 3}, {0, 0, -1}, {0, 0}}, {{4, 4, 4}, {0, 0, 0.5f}, {0, 0}},
        {{5, 5, 5}, {1, 0, 0}, {0, 0}},  {{6, 6, 6}, {0.6f, 0, 0.8f}, {0, 0}},
    };
    Mesh mesh(vertices, {0, 1, 2});
    EXPECT_EQ(mesh.corners(), (std::vector<glm::vec3>{{1, 1, 1}, {3, 3, 3}}));
}
