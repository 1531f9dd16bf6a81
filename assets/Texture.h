#pragma once

#include <GL/glew.h>

#include <string>

namespace pizzeria::assets {

// A texture used by a mesh. Only the GL name is owned by OpenGL; the record
// itself is a plain value that meshes and the per-model cache copy freely.
struct Texture {
    GLuint id = 0;
    std::string type; // sampler uniform the texture binds to
    std::string path; // file name as the material wrote it; the cache key
};

// Every model texture binds to this sampler.
inline constexpr const char* diffuseSampler = "material.diffuseTexture";

// Decodes the image at `path` (or takes what a start-up worker decoded) and
// uploads it as an RGB texture with its box-filtered mip chain; returns its
// name, left bound to unit 0. Ends the program when the image cannot be read
// or converted.
GLuint loadTexture(const std::string& path);

struct PreparedImage;
// The CPU half of loadTexture: the decoded image and its mip chain. Safe on
// any thread; reports nothing.
PreparedImage prepareTexture(const std::string& path);

// Writes the filters chosen by a texture-quality or mipmap key press this
// frame into the texture bound to GL_TEXTURE_2D; does nothing otherwise.
void applyFilterChanges();

} // namespace pizzeria::assets
