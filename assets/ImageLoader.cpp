#include "assets/ImageLoader.h"

#include "app/Console.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <cstring>
#include <iostream>

namespace pizzeria::assets {

namespace {

[[noreturn]] void failImage(const char* what, ILuint image, const std::string& suffix) {
    const ILenum error = ilGetError();
    std::cout << what << error << " - " << iluErrorString(error) << suffix << std::endl;
    ilDeleteImages(1, &image);
    app::exitAfterPause(1);
}

} // namespace

RgbImage loadRgbImage(const std::string& path, bool namePath) {
    ilInit();
    iluInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (!ilLoadImage(path.c_str())) {
        failImage("ERROR: Image load failed - IL reports error: ", image,
                  namePath ? ": " + path : std::string());
    }
    ILinfo info{};
    iluGetImageInfo(&info);
    if (info.Origin != IL_ORIGIN_UPPER_LEFT) {
        iluFlipImage();
    }
    if (!ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        failImage("ERROR: Image conversion failed - IL reports error: ", image, std::string());
    }
    RgbImage result;
    result.width = ilGetInteger(IL_IMAGE_WIDTH);
    result.height = ilGetInteger(IL_IMAGE_HEIGHT);
    const std::size_t bytes = std::size_t(result.width) * std::size_t(result.height) * 3;
    result.pixels.resize(bytes);
    if (bytes > 0) {
        std::memcpy(result.pixels.data(), ilGetData(), bytes);
    }
    ilDeleteImages(1, &image);
    return result;
}

} // namespace pizzeria::assets
