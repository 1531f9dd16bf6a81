#pragma once

#include "render/Shader.h"
#include "tests/assets/ImageFiles.h"

#include <GL/glew.h>

#include <filesystem>
#include <memory>
#include <string>

namespace assettest {

// The image of one mip level of `texture`, read back as RGBA, top row first
// (the first row uploaded).
Picture readTexels(GLuint texture, int level = 0);

// One integer parameter of `texture` (GL_TEXTURE_MIN_FILTER and the like).
GLint textureParameter(GLuint texture, GLenum name);

// One integer of mip level `level` of `texture` (GL_TEXTURE_WIDTH and the like).
GLint levelParameter(GLuint texture, int level, GLenum name);

// A program built from the two sources, written as files into `folder`.
std::unique_ptr<pizzeria::render::Shader> makeShader(const std::filesystem::path& folder,
                                                     const std::string& name,
                                                     const std::string& vertexSource,
                                                     const std::string& fragmentSource);

// A small colour target to draw into and read back, bound while alive.
class OffscreenTarget {
public:
    explicit OffscreenTarget(int size = 32);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    void clear(Rgba fill);
    Rgba pixel(int x, int y) const; // y counts from the bottom, as GL does
    int size = 0;

private:
    GLuint framebuffer = 0;
    GLuint colour = 0;
};

} // namespace assettest
