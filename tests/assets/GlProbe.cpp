#include "tests/assets/GlProbe.h"

#include <fstream>
#include <vector>

namespace assettest {

Picture readTexels(GLuint texture, int level) {
    Picture picture;
    picture.width = levelParameter(texture, level, GL_TEXTURE_WIDTH);
    picture.height = levelParameter(texture, level, GL_TEXTURE_HEIGHT);
    std::vector<std::uint8_t> bytes(std::size_t(picture.width * picture.height) * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        picture.pixels.push_back(Rgba{bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
    }
    return picture;
}

GLint textureParameter(GLuint texture, GLenum name) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint levelParameter(GLuint texture, int level, GLenum name) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

std::unique_ptr<pizzeria::render::Shader> makeShader(const std::filesystem::path& folder,
                                                     const std::string& name,
                                                     const std::string& vertexSource,
                                                     const std::string& fragmentSource) {
    const auto vertexPath = folder / (name + ".vert");
    const auto fragmentPath = folder / (name + ".frag");
    std::ofstream(vertexPath) << vertexSource;
    std::ofstream(fragmentPath) << fragmentSource;
    auto shader =
        std::make_unique<pizzeria::render::Shader>(vertexPath.string(), fragmentPath.string());
    glUseProgram(shader->program);
    return shader;
}

OffscreenTarget::OffscreenTarget(int size) : size(size) {
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour, 0);
    glViewport(0, 0, size, size);
}

OffscreenTarget::~OffscreenTarget() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &colour);
}

void OffscreenTarget::clear(Rgba fill) {
    glClearColor(fill.r / 255.0f, fill.g / 255.0f, fill.b / 255.0f, fill.a / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

Rgba OffscreenTarget::pixel(int x, int y) const {
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, bytes);
    return Rgba{bytes[0], bytes[1], bytes[2], bytes[3]};
}

} // namespace assettest
