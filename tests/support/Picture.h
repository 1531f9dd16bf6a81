#pragma once

// What the window shows, read back from its back buffer.
#include <GL/glew.h>

#include <glm/vec3.hpp>

#include <cstdlib>
#include <vector>

namespace testsupport {

// The window's pixels, bottom row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    static Picture ofBackBuffer(int width, int height) {
        Picture p{width, height, std::vector<unsigned char>(std::size_t(width) * height * 3)};
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
        return p;
    }

    glm::vec3 at(int x, int y) const {
        const unsigned char* p = &rgb[(std::size_t(y) * width + x) * 3];
        return glm::vec3(p[0], p[1], p[2]) / 255.0f;
    }

    // Pixels that differ from `other` by more than a few levels.
    int differentPixels(const Picture& other) const {
        int count = 0;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
            const int d = std::abs(rgb[i] - other.rgb[i]) +
                          std::abs(rgb[i + 1] - other.rgb[i + 1]) +
                          std::abs(rgb[i + 2] - other.rgb[i + 2]);
            count += d > 12 ? 1 : 0;
        }
        return count;
    }
};

} // namespace testsupport
