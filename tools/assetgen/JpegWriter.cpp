#include "tools/assetgen/JpegWriter.h"

#include <iostream>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace assetgen {

bool saveJpeg(const std::filesystem::path& path, const RgbImage& image) {
    std::filesystem::create_directories(path.parent_path());
    // Our rows run top to bottom, as stb_image_write takes them.
    const bool ok = stbi_write_jpg(path.string().c_str(), image.width, image.height, 3,
                                   image.pixels.data(), 92) != 0;
    if (!ok) {
        std::cerr << "assetgen: could not write " << path << std::endl;
    }
    return ok;
}

} // namespace assetgen
