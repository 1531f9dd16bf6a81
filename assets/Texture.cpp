#include "assets/Texture.h"

#include "app/GameSettings.h"
#include "assets/ImageLoader.h"
#include "assets/MipChain.h"
#include "assets/Preload.h"

namespace pizzeria::assets {

namespace {

void setFilters(GLint minFilter, GLint magFilter) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
}

} // namespace

PreparedImage prepareTexture(const std::string& path) {
    PreparedImage prepared;
    prepared.decoded = decodeRgbImage(path);
    const RgbImage& image = prepared.decoded.image;
    if (!prepared.decoded.failed()) {
        prepared.mips = buildMipChain(image.pixels.data(), image.width, image.height, 3);
    }
    return prepared;
}

GLuint loadTexture(const std::string& path) {
    std::optional<PreparedImage> taken = takePreparedImage(path);
    const PreparedImage prepared = taken ? std::move(*taken) : prepareTexture(path);
    if (prepared.decoded.failed()) {
        failImage(prepared.decoded, path, true);
    }
    const RgbImage& image = prepared.decoded.image;

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    setFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);

    // RGB rows are tightly packed, so an odd width breaks the default
    // four-byte row alignment; the caller's setting is put back afterwards.
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image.pixels.data());
    // Built on the CPU: the software renderer's glGenerateMipmap costs several
    // milliseconds a texture, the box filter here a fraction of one.
    uploadMipChain(prepared.mips, GL_RGB, GL_RGB);
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    return texture;
}

void applyFilterChanges() {
    const app::GameSettings& settings = app::gameSettings;
    if (settings.texQualityChanged) {
        switch (settings.texQuality) {
        case 0:
            setFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
            break;
        case 1:
            setFilters(GL_LINEAR, GL_LINEAR);
            break;
        case 2:
            setFilters(GL_NEAREST, GL_NEAREST);
            break;
        default:
            break;
        }
    }
    // Runs second on purpose: with both keys in one frame the mipmap choice wins.
    if (settings.mipmapChanged) {
        switch (settings.mipmapMode) {
        case 0:
            setFilters(GL_LINEAR, GL_LINEAR);
            break;
        case 1:
            setFilters(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
            break;
        case 2:
            setFilters(GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR);
            break;
        default:
            break;
        }
    }
}

} // namespace pizzeria::assets
