#include "tests/assets/GlProbe.h"

#include <vector>

namespace assettest {

Picture readTexels(GLuint texture) {
    Picture picture;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &picture.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &picture.height);
    std::vector<std::uint8_t> bytes(std::size_t(picture.width * picture.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        picture.pixels.push_back(Rgba{bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
    }
    return picture;
}

} // namespace assettest
