// Textures decoded from image files and their run-time filter switches, with a
// real GL context.
#include "assets/Texture.h"
#include "app/GameSettings.h"
#include "tests/assets/AssetTest.h"
#include "tests/assets/GlProbe.h"
#include "tests/assets/ImageFiles.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using namespace assettest;
using pizzeria::app::gameSettings;
using pizzeria::assets::applyFilterChanges;
using pizzeria::assets::loadTexture;
using testing::HasSubstr;

namespace {

// Three columns, so a tightly packed RGB row is 9 bytes and misalignment shows.
Picture landmarks() {
    return Picture{
        3,
        2,
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {10, 20, 30}, {200, 100, 50}}};
}

using Textures = AssetTest;

struct StoredImage {
    const char* name;
    const char* file;
    std::function<void(const fs::path&, const Picture&)> write;
};

const StoredImage storedImages[] = {
    {"TGA from the bottom", "bottom.tga",
     [](const fs::path& p, const Picture& pic) { writeTga(p, pic, false, false); }},
    {"TGA from the top", "top.tga",
     [](const fs::path& p, const Picture& pic) { writeTga(p, pic, true, false); }},
    {"PPM", "top.ppm", [](const fs::path& p, const Picture& pic) { writePpm(p, pic); }},
};

} // namespace

TEST_F(Textures, UploadsTheTopRowFirstWhateverTheStoredOrder) {
    const Picture expected = landmarks();
    for (const StoredImage& stored : storedImages) {
        SCOPED_TRACE(stored.name);
        const fs::path path = stored.file;
        stored.write(path, expected);
        // The game's text renderer may leave a different alignment behind.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

        const GLuint texture = loadTexture(path.string());

        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4) << "the caller's unpack alignment is restored";
        const Picture uploaded = readTexels(texture);
        ASSERT_EQ(uploaded.width, expected.width);
        ASSERT_EQ(uploaded.height, expected.height);
        for (int y = 0; y < expected.height; ++y) {
            for (int x = 0; x < expected.width; ++x) {
                EXPECT_EQ(uploaded.at(x, y), expected.at(x, y)) << "texel " << x << ", " << y;
            }
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Textures, AlphaChannelIsDroppedAtUpload) {
    Picture translucent = landmarks();
    std::uint8_t alpha = 0;
    for (Rgba& p : translucent.pixels) {
        p.a = alpha;
        alpha = std::uint8_t(alpha + 40);
    }
    const fs::path path = "alpha.tga";
    writeTga(path, translucent, true, true);

    const GLuint texture = loadTexture(path.string());

    EXPECT_EQ(levelParameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    EXPECT_EQ(levelParameter(texture, 0, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(levelParameter(texture, 0, GL_TEXTURE_RED_SIZE), 8);
    const Picture uploaded = readTexels(texture);
    ASSERT_EQ(uploaded.pixels.size(), translucent.pixels.size());
    for (std::size_t i = 0; i < translucent.pixels.size(); ++i) {
        Rgba opaque = translucent.pixels[i];
        opaque.a = 255;
        EXPECT_EQ(uploaded.pixels[i], opaque) << "texel " << i;
    }
}

TEST_F(Textures, NewTextureHasMipmapsDefaultFiltersAndStaysBound) {
    const fs::path path = "square.tga";
    writeTga(path, solid(4, 4, {90, 160, 30}), false, false);
    glActiveTexture(GL_TEXTURE3); // loading must not depend on the active unit

    const GLuint first = loadTexture(path.string());
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_EQ(GLuint(bound), first);

    const GLuint second = loadTexture(path.string());
    EXPECT_NE(first, second) << "every load makes a new texture";
    EXPECT_EQ(textureParameter(first, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureParameter(first, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(first, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(first, GL_TEXTURE_WRAP_T), GL_REPEAT);
    // 4x4 has levels of 2x2 and 1x1, each filled with the same colour.
    EXPECT_EQ(levelParameter(first, 2, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(readTexels(first, 2).at(0, 0), (Rgba{90, 160, 30}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Textures, MissingFileEndsWithDevilErrorAndPath) {
    ilInit();
    iluInit();
    const std::string path = "nowhere.tga";
    const std::string expected =
        "ERROR: Image load failed - IL reports error: " + std::to_string(IL_COULD_NOT_OPEN_FILE) +
        " - " + iluErrorString(IL_COULD_NOT_OPEN_FILE) + ": " + path + "\n";
    EXPECT_EXIT(
        {
            prepareToDie();
            loadTexture(path);
        },
        testing::ExitedWithCode(1), HasSubstr(expected));
}

namespace {

struct FilterCase {
    const char* name;
    bool qualityChanged;
    int quality;
    bool mipmapChanged;
    int mipmap;
    GLint minFilter;
    GLint magFilter;
};

// A starting filter pair that no key choice produces, so every write shows.
constexpr GLint untouchedMin = GL_NEAREST_MIPMAP_LINEAR;
constexpr GLint untouchedMag = GL_NEAREST;

const FilterCase filterCases[] = {
    {"no key this frame", false, 2, false, 2, untouchedMin, untouchedMag},
    {"quality 0: default", true, 0, false, 0, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
    {"quality 1: linear", true, 1, false, 0, GL_LINEAR, GL_LINEAR},
    {"quality 2: nearest", true, 2, false, 0, GL_NEAREST, GL_NEAREST},
    {"mipmap 0: none", false, 0, true, 0, GL_LINEAR, GL_LINEAR},
    {"mipmap 1: linear-linear", false, 0, true, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
    {"mipmap 2: nearest-nearest", false, 0, true, 2, GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR},
    {"both keys: nearest then mipmap 2", true, 2, true, 2, GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR},
    {"both keys: nearest then no mipmaps", true, 2, true, 0, GL_LINEAR, GL_LINEAR},
    {"both keys: linear then mipmap 1", true, 1, true, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
};

} // namespace

TEST_F(Textures, FilterChangesFollowTheKeyTables) {
    const fs::path path = "filters.tga";
    writeTga(path, solid(2, 2, {1, 2, 3}), false, false);
    const GLuint texture = loadTexture(path.string());
    const GLuint bystander = loadTexture(path.string());

    for (const FilterCase& c : filterCases) {
        SCOPED_TRACE(c.name);
        for (GLuint t : {texture, bystander}) {
            glBindTexture(GL_TEXTURE_2D, t);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, untouchedMin);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, untouchedMag);
        }
        gameSettings.texQualityChanged = c.qualityChanged;
        gameSettings.texQuality = c.quality;
        gameSettings.mipmapChanged = c.mipmapChanged;
        gameSettings.mipmapMode = c.mipmap;

        glBindTexture(GL_TEXTURE_2D, texture);
        applyFilterChanges();

        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), c.minFilter);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), c.magFilter);
        EXPECT_EQ(textureParameter(bystander, GL_TEXTURE_MIN_FILTER), untouchedMin)
            << "only the bound texture changes";
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
