#include "assets/Mesh.h"

#include "render/Shader.h"

#include <cstddef>
#include <utility>

namespace pizzeria::assets {

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<GLuint> indices, std::vector<Texture> textures)
    : vertices(std::move(vertices)), indices(std::move(indices)), textures(std::move(textures)) {
    setupMesh();
}

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<GLuint> indices)
    : Mesh(std::move(vertices), std::move(indices), {}) {}

void Mesh::setupMesh() {
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ebo);
    glBindVertexArray(vao);

    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(GLuint)),
                 indices.data(), GL_STATIC_DRAW);

    const auto attribute = [](GLuint location, GLint components, std::size_t offset) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                              reinterpret_cast<const void*>(offset));
    };
    attribute(0, 3, offsetof(Vertex, position));
    attribute(1, 3, offsetof(Vertex, normal));
    attribute(2, 2, offsetof(Vertex, texCoords));

    glBindVertexArray(0);
}

void Mesh::draw(const render::Shader& shader) const {
    draw(shader, {IndexRange{0, GLsizei(indices.size())}});
}

void Mesh::draw(const render::Shader& shader, const std::vector<IndexRange>& ranges) const {
    for (std::size_t i = 0; i < textures.size(); ++i) {
        glActiveTexture(GLenum(GL_TEXTURE0 + i));
        glUniform1i(glGetUniformLocation(shader.program, textures[i].type.c_str()), GLint(i));
        glBindTexture(GL_TEXTURE_2D, textures[i].id);
        applyFilterChanges();
    }

    glBindVertexArray(vao);
    for (const IndexRange& range : ranges) {
        glDrawElements(GL_TRIANGLES, range.count, GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(std::size_t(range.first) * sizeof(GLuint)));
    }
    glBindVertexArray(0);

    for (std::size_t i = 0; i < textures.size(); ++i) {
        glActiveTexture(GLenum(GL_TEXTURE0 + i));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

const std::vector<glm::vec3>& Mesh::corners() const {
    if (cornerList.empty()) {
        // On a box mesh only the z faces' vertices are needed: together they
        // are all eight corners, each exactly once.
        for (const Vertex& vertex : vertices) {
            if (vertex.normal.z == 1.0f || vertex.normal.z == -1.0f) {
                cornerList.push_back(vertex.position);
            }
        }
    }
    return cornerList;
}

} // namespace pizzeria::assets
