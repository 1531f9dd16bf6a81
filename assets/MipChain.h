#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <vector>

namespace pizzeria::assets {

// One level of a mip chain: 8-bit texels, `channels` per texel, rows tightly
// packed.
struct MipLevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> texels;
};

// The levels below a base image down to 1 x 1, each the box filter of the
// one above: every texel is the mean of the area of the level above that it
// covers, so odd sizes weigh their shared texels in part. The base is not
// included. Pure CPU work, safe on any thread.
std::vector<MipLevel> buildMipChain(const std::uint8_t* base, int width, int height, int channels);

// Uploads `levels` as levels 1, 2, ... of the texture bound to GL_TEXTURE_2D,
// whose level 0 is already there, in the given format. Rows are tightly
// packed: the caller sets the unpack alignment.
void uploadMipChain(const std::vector<MipLevel>& levels, GLenum internalFormat, GLenum format);

} // namespace pizzeria::assets
