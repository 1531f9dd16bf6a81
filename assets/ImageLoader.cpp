#include "assets/ImageLoader.h"

#include "app/Console.h"
#include "assets/Preload.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <cstring>
#include <iostream>
#include <mutex>

namespace pizzeria::assets {

namespace {

std::mutex devilTurn;

DecodedImage failed(DecodedImage::Failure failure, ILuint image) {
    DecodedImage result;
    result.failure = failure;
    const ILenum error = ilGetError();
    result.error = unsigned(error);
    result.errorText = iluErrorString(error);
    ilDeleteImages(1, &image);
    return result;
}

} // namespace

DecodedImage decodeRgbImage(const std::string& path) {
    const std::lock_guard<std::mutex> turn(devilTurn);
    ilInit();
    iluInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (!ilLoadImage(path.c_str())) {
        return failed(DecodedImage::Failure::Load, image);
    }
    ILinfo info{};
    iluGetImageInfo(&info);
    if (info.Origin != IL_ORIGIN_UPPER_LEFT) {
        iluFlipImage();
    }
    if (!ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        return failed(DecodedImage::Failure::Conversion, image);
    }
    DecodedImage result;
    result.image.width = ilGetInteger(IL_IMAGE_WIDTH);
    result.image.height = ilGetInteger(IL_IMAGE_HEIGHT);
    const std::size_t bytes =
        std::size_t(result.image.width) * std::size_t(result.image.height) * 3;
    result.image.pixels.resize(bytes);
    if (bytes > 0) {
        std::memcpy(result.image.pixels.data(), ilGetData(), bytes);
    }
    ilDeleteImages(1, &image);
    return result;
}

void failImage(const DecodedImage& decoded, const std::string& path, bool namePath) {
    if (decoded.failure == DecodedImage::Failure::Load) {
        std::cout << "ERROR: Image load failed - IL reports error: " << decoded.error << " - "
                  << decoded.errorText << (namePath ? ": " + path : std::string()) << std::endl;
    } else {
        std::cout << "ERROR: Image conversion failed - IL reports error: " << decoded.error << " - "
                  << decoded.errorText << std::endl;
    }
    app::exitAfterPause(1);
}

RgbImage loadRgbImage(const std::string& path, bool namePath) {
    std::optional<PreparedImage> prepared = takePreparedImage(path);
    DecodedImage decoded = prepared ? std::move(prepared->decoded) : decodeRgbImage(path);
    if (decoded.failure != DecodedImage::Failure::None) {
        failImage(decoded, path, namePath);
    }
    return std::move(decoded.image);
}

} // namespace pizzeria::assets
