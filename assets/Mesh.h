#pragma once

#include "assets/Texture.h"
#include "assets/Vertex.h"

#include <GL/glew.h>
#include <glm/vec3.hpp>

#include <vector>

namespace pizzeria::render {
class Shader;
}

namespace pizzeria::assets {

// Geometry on the GPU: one vertex array with its vertex and element buffers,
// drawn with one indexed call. The GL objects are never deleted: meshes are
// destroyed at process exit, after the context is gone.
class Mesh {
public:
    // Takes the lists and uploads them at once; needs a current GL context.
    Mesh(std::vector<Vertex> vertices, std::vector<GLuint> indices, std::vector<Texture> textures);
    // The same without textures; used for the invisible box meshes.
    Mesh(std::vector<Vertex> vertices, std::vector<GLuint> indices);

    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    Mesh(Mesh&&) = default;
    Mesh& operator=(Mesh&&) = default;

    // Binds texture i to unit i under its sampler name, draws, unbinds them.
    void draw(const render::Shader& shader) const;

    // A run of indices: `count` from the `first`.
    struct IndexRange {
        GLuint first = 0;
        GLsizei count = 0;
    };
    // The same drawing only these runs of the index list.
    void draw(const render::Shader& shader, const std::vector<IndexRange>& ranges) const;

    // Positions of the vertices whose normal points along z (on a box mesh
    // its eight corners); found on the first call and kept.
    const std::vector<glm::vec3>& corners() const;

    std::vector<Vertex> vertices;
    std::vector<GLuint> indices;
    std::vector<Texture> textures;
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;

private:
    void setupMesh();

    mutable std::vector<glm::vec3> cornerList;
};

} // namespace pizzeria::assets
