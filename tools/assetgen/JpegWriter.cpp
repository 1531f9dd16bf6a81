#include "tools/assetgen/JpegWriter.h"

#include <IL/il.h>

#include <iostream>

namespace assetgen {

bool saveJpeg(const std::filesystem::path& path, const RgbImage& image) {
    std::filesystem::create_directories(path.parent_path());
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    // DevIL's origin is the lower left unless told otherwise.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    bool ok = ilTexImage(ILuint(image.width), ILuint(image.height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                         const_cast<std::uint8_t*>(image.pixels.data())) == IL_TRUE;
    // ilTexImage marks the image bottom-up whatever the origin mode says;
    // without this the saved picture comes out upside down.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ilSetInteger(IL_JPG_QUALITY, 92);
    ilEnable(IL_FILE_OVERWRITE);
    ok = ok && ilSave(IL_JPG, path.string().c_str()) == IL_TRUE;
    if (!ok) {
        std::cerr << "assetgen: could not write " << path << " (DevIL error " << ilGetError() << ")"
                  << std::endl;
    }
    ilDeleteImages(1, &id);
    return ok;
}

} // namespace assetgen
