#include "tests/support/ImageFiles.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace testsupport {

bool writePng(const std::filesystem::path& path, int width, int height,
              const std::vector<unsigned char>& rgb) {
    return stbi_write_png(path.string().c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

bool writeJpeg(const std::filesystem::path& path, int width, int height,
               const std::vector<unsigned char>& rgb, int quality) {
    return stbi_write_jpg(path.string().c_str(), width, height, 3, rgb.data(), quality) != 0;
}

} // namespace testsupport
