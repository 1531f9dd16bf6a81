// Textures decoded from image files, with a real GL context.
#include "assets/Texture.h"
#include "tests/assets/AssetTest.h"
#include "tests/assets/GlProbe.h"
#include "tests/assets/ImageFiles.h"
#include "tests/support/MipLevels.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using namespace assettest;
using pizzeria::assets::loadTexture;
using testing::HasSubstr;

namespace {

using Textures = AssetTest;

struct StoredImage {
    const char* name;
    const char* file;
    std::function<void(const fs::path&, const Picture&)> write;
};

} // namespace

// DevIL keeps each file's own origin, so images stored from the bottom came
// out upside down until the loader flipped them.
TEST_F(Textures, UploadsTheTopRowFirstWhateverTheStoredOrder) {
    // Three columns, so a tightly packed RGB row is 9 bytes and misalignment shows.
    const Picture expected{
        3,
        2,
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {10, 20, 30}, {200, 100, 50}}};
    const StoredImage storedImages[] = {
        {"TGA from the bottom", "bottom.tga",
         [](const fs::path& p, const Picture& pic) { writeTga(p, pic, false, false); }},
        {"TGA from the top", "top.tga",
         [](const fs::path& p, const Picture& pic) { writeTga(p, pic, true, false); }},
        {"PPM", "top.ppm", [](const fs::path& p, const Picture& pic) { writePpm(p, pic); }},
    };
    for (const StoredImage& stored : storedImages) {
        SCOPED_TRACE(stored.name);
        stored.write(stored.file, expected);
        // The game's text renderer may leave a different alignment behind.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

        const GLuint texture = loadTexture(stored.file);

        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4) << "the caller's unpack alignment is restored";
        const Picture uploaded = readTexels(texture);
        ASSERT_EQ(uploaded.width, expected.width);
        ASSERT_EQ(uploaded.height, expected.height);
        EXPECT_EQ(uploaded.pixels, expected.pixels);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The chain is built on the CPU now: every level down to 1 x 1 must be the
// box filter of the one above, odd sizes (shared texels weighed in part)
// included, or distant ground and models would shimmer or shift colour.
TEST_F(Textures, EveryMipLevelIsTheBoxFilteredLevelAbove) {
    const int sizes[][2] = {{8, 8}, {13, 6}, {5, 1}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        Picture picture{size[0], size[1], {}};
        for (int i = 0; i < size[0] * size[1]; ++i) {
            // Sharp, uneven texels, so that a wrong weight or offset shows.
            picture.pixels.push_back(Rgba{std::uint8_t(i * 97 % 256), std::uint8_t(i * 31 % 7 * 40),
                                          std::uint8_t(255 - i * 13 % 256), 255});
        }
        writePpm("chain.ppm", picture);

        const GLuint texture = loadTexture("chain.ppm");
        const testsupport::MipChainCheck check = testsupport::checkMipChain(texture, GL_RGB, 3);

        const int longest = std::max(size[0], size[1]);
        EXPECT_EQ(check.levels, int(std::log2(longest)) + 1);
        EXPECT_EQ(check.lastWidth, 1);
        EXPECT_EQ(check.lastHeight, 1);
        EXPECT_LE(check.largestDifference, 1) << "steps of 1/255";
        glDeleteTextures(1, &texture);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Textures, MissingOrDamagedFileEndsWithDevilErrorAndPath) {
    ilInit();
    iluInit();
    const std::string missing = "nowhere.tga";
    EXPECT_EXIT(
        {
            prepareToDie();
            loadTexture(missing);
        },
        testing::ExitedWithCode(1),
        HasSubstr("ERROR: Image load failed - IL reports error: " +
                  std::to_string(IL_COULD_NOT_OPEN_FILE) + " - " +
                  iluErrorString(IL_COULD_NOT_OPEN_FILE) + ": " + missing + "\n"));

    const std::string damaged = "notes.tga";
    writeText(damaged, "not an image at all\n");
    EXPECT_EXIT(
        {
            prepareToDie();
            loadTexture(damaged);
        },
        testing::ExitedWithCode(1),
        testing::ContainsRegex(
            "ERROR: Image load failed - IL reports error: [0-9]+ - .*: " + damaged + "\n"));
}

// The two filter keys act on the bound texture at the end of the frame; with
// both pressed in one frame the mipmap choice is the one that stays.
TEST_F(Textures, FilterKeysSetTheBoundTexturesFiltersAndMipmapsWinATie) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const auto filters = [] {
        GLint minFilter = 0;
        GLint magFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        return std::make_pair(minFilter, magFilter);
    };
    auto& settings = pizzeria::app::gameSettings;

    settings.texQuality = 2;
    settings.texQualityChanged = true;
    pizzeria::assets::applyFilterChanges();
    EXPECT_EQ(filters(), std::make_pair(GL_NEAREST, GL_NEAREST));

    settings.mipmapMode = 2;
    settings.mipmapChanged = true;
    pizzeria::assets::applyFilterChanges();
    EXPECT_EQ(filters(), std::make_pair(GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR));

    settings.texQualityChanged = settings.mipmapChanged = false;
    settings.texQuality = 1;
    pizzeria::assets::applyFilterChanges();
    EXPECT_EQ(filters(), std::make_pair(GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR))
        << "nothing changes without a key";
    glDeleteTextures(1, &texture);
}
