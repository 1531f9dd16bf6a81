// Reads a texture's mip chain back and holds each level against the box
// filter of the level above, computed here in double precision.
#pragma once

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace testsupport {

struct MipChainCheck {
    int levels = 0;    // levels present, the base included
    int lastWidth = 0; // size of the smallest level
    int lastHeight = 0;
    int largestDifference = 0; // in 8-bit steps, over every texel of every level below the base
};

// `format` GL_RED or GL_RGB with `channels` 1 or 3; the texture is bound to
// GL_TEXTURE_2D afterwards.
inline MipChainCheck checkMipChain(GLuint texture, GLenum format, int channels) {
    MipChainCheck check;
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<std::uint8_t> above;
    int aboveWidth = 0;
    int aboveHeight = 0;
    for (int level = 0;; ++level) {
        int width = 0;
        int height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        if (width == 0 || height == 0) {
            break;
        }
        std::vector<std::uint8_t> texels(std::size_t(width) * std::size_t(height) *
                                         std::size_t(channels));
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, texels.data());
        if (level > 0) {
            // Each texel covers (aboveWidth / width) x (aboveHeight / height)
            // texels above; those it covers in part count in part.
            const double sx = double(aboveWidth) / width;
            const double sy = double(aboveHeight) / height;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    for (int c = 0; c < channels; ++c) {
                        double sum = 0.0;
                        for (int j = int(y * sy);
                             j < std::min(aboveHeight, int(std::ceil((y + 1) * sy))); ++j) {
                            const double wy =
                                std::min((y + 1) * sy, j + 1.0) - std::max(y * sy, double(j));
                            for (int i = int(x * sx);
                                 i < std::min(aboveWidth, int(std::ceil((x + 1) * sx))); ++i) {
                                const double wx =
                                    std::min((x + 1) * sx, i + 1.0) - std::max(x * sx, double(i));
                                sum += wx * wy *
                                       above[(std::size_t(j) * std::size_t(aboveWidth) +
                                              std::size_t(i)) *
                                                 std::size_t(channels) +
                                             std::size_t(c)];
                            }
                        }
                        const double expected = sum / (sx * sy);
                        const int got =
                            texels[(std::size_t(y) * std::size_t(width) + std::size_t(x)) *
                                       std::size_t(channels) +
                                   std::size_t(c)];
                        check.largestDifference =
                            std::max(check.largestDifference,
                                     int(std::ceil(std::abs(got - expected) - 1e-9)));
                    }
                }
            }
        }
        ++check.levels;
        check.lastWidth = width;
        check.lastHeight = height;
        above = std::move(texels);
        aboveWidth = width;
        aboveHeight = height;
    }
    return check;
}

} // namespace testsupport
