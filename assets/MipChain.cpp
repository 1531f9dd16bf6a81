#include "assets/MipChain.h"

#include <algorithm>

namespace pizzeria::assets {

namespace {

struct Tap {
    int source;
    float weight;
};

// For each texel of a row `to` long, the texels of the row `from` long that
// it covers and how much of each.
std::vector<std::vector<Tap>> boxTaps(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(to));
    const double step = double(from) / double(to);
    for (int i = 0; i < to; ++i) {
        const double start = i * step;
        const double end = (i + 1) * step;
        for (int s = int(start); s < from && s < end; ++s) {
            const double covered = std::min(end, double(s + 1)) - std::max(start, double(s));
            if (covered > 0.0) {
                taps[std::size_t(i)].push_back({s, float(covered / step)});
            }
        }
    }
    return taps;
}

MipLevel halve(const std::uint8_t* above, int width, int height, int channels) {
    MipLevel level;
    level.width = std::max(1, width / 2);
    level.height = std::max(1, height / 2);
    level.texels.resize(std::size_t(level.width) * std::size_t(level.height) *
                        std::size_t(channels));
    const auto columns = boxTaps(width, level.width);
    const auto rows = boxTaps(height, level.height);
    std::vector<float> sum(static_cast<std::size_t>(channels));
    std::uint8_t* out = level.texels.data();
    for (const auto& row : rows) {
        for (const auto& column : columns) {
            std::fill(sum.begin(), sum.end(), 0.0f);
            for (const Tap& r : row) {
                const std::uint8_t* line =
                    above + std::size_t(r.source) * std::size_t(width) * std::size_t(channels);
                for (const Tap& c : column) {
                    const float weight = r.weight * c.weight;
                    const std::uint8_t* texel =
                        line + std::size_t(c.source) * std::size_t(channels);
                    for (int k = 0; k < channels; ++k) {
                        sum[std::size_t(k)] += weight * float(texel[k]);
                    }
                }
            }
            for (int k = 0; k < channels; ++k) {
                *out++ = std::uint8_t(std::min(255.0f, sum[std::size_t(k)] + 0.5f));
            }
        }
    }
    return level;
}

} // namespace

std::vector<MipLevel> buildMipChain(const std::uint8_t* base, int width, int height, int channels) {
    std::vector<MipLevel> levels;
    if (base == nullptr || width < 1 || height < 1 || channels < 1) {
        return levels;
    }
    const std::uint8_t* above = base;
    while (width > 1 || height > 1) {
        levels.push_back(halve(above, width, height, channels));
        width = levels.back().width;
        height = levels.back().height;
        above = levels.back().texels.data();
    }
    return levels;
}

void uploadMipChain(const std::vector<MipLevel>& levels, GLenum internalFormat, GLenum format) {
    GLint level = 1;
    for (const MipLevel& mip : levels) {
        glTexImage2D(GL_TEXTURE_2D, level++, GLint(internalFormat), mip.width, mip.height, 0,
                     format, GL_UNSIGNED_BYTE, mip.texels.data());
    }
}

} // namespace pizzeria::assets
