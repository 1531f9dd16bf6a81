// Textures decoded from image files, with a real GL context.
#include "assets/Texture.h"
#include "tests/support/GlContext.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/Process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using pizzeria::assets::loadTexture;
using testing::HasSubstr;

namespace {

using Rgba = std::array<std::uint8_t, 4>;

// A picture as it is seen, row by row from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;
};

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Uncompressed 24-bit TGA, rows stored from the top or from the bottom.
void writeTga(const std::filesystem::path& path, const Picture& picture, bool topDown) {
    std::string bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes += {char(picture.width), 0, char(picture.height), 0, 24, char(topDown ? 0x20 : 0)};
    for (int row = 0; row < picture.height; ++row) {
        const int y = topDown ? row : picture.height - 1 - row;
        for (int x = 0; x < picture.width; ++x) {
            const Rgba p = picture.pixels[std::size_t(y * picture.width + x)];
            bytes += {char(p[2]), char(p[1]), char(p[0])};
        }
    }
    writeText(path, bytes);
}

// The base image of `texture` as RGBA, the first row uploaded first.
Picture readTexels(GLuint texture) {
    Picture picture;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &picture.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &picture.height);
    picture.pixels.resize(std::size_t(picture.width * picture.height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels.data());
    return picture;
}

// Each test runs inside a fresh folder with a GL context current. Paths stay
// relative to that folder, so a death test's child, which builds its own
// folder, prints the same paths as the parent expects.
class Textures : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ASSERT_TRUE(context.ok()) << "needs a display; tools/test.sh starts Xvfb";
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
    }
    void TearDown() override {
        if (!previous.empty()) {
            std::filesystem::current_path(previous);
        }
    }

    // Run first inside a death test's statement. Image messages go to standard
    // output, while death tests only see standard error, so the dying child
    // sends the one into the other. Its folder lies inside the parent's
    // temporary root, which the parent removes.
    void prepareToDie() { ::dup2(STDERR_FILENO, STDOUT_FILENO); }

    testsupport::GlContext context;
    testsupport::TempDir folder;
    std::filesystem::path previous;
};

} // namespace

// Images stored from the bottom once came out upside down: the loader kept
// each file's own origin.
TEST_F(Textures, UploadsTheTopRowFirstWhateverTheStoredOrder) {
    // Three columns, so a tightly packed RGB row is 9 bytes and misalignment shows.
    const Picture expected{3,
                           2,
                           {{255, 0, 0, 255},
                            {0, 255, 0, 255},
                            {0, 0, 255, 255},
                            {255, 255, 255, 255},
                            {10, 20, 30, 255},
                            {200, 100, 50, 255}}};
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "stored from the top" : "stored from the bottom");
        const std::string file = topDown ? "top.tga" : "bottom.tga";
        writeTga(file, expected, topDown);
        // The game's text renderer may leave a different alignment behind.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

        const GLuint texture = loadTexture(file);

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

// A JPEG whose data ends inside the picture stops the game; bad codes in data
// that goes on to the end do not, as libjpeg had it.
TEST_F(Textures, MissingOrDamagedFileEndsWithErrorAndPath) {
    std::vector<unsigned char> rgb(64 * 64 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<unsigned char>((i * 7919) % 251);
    }
    ASSERT_TRUE(testsupport::writeJpeg("whole.jpg", 64, 64, rgb, 92));
    std::ifstream in("whole.jpg", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), {});
    const std::size_t scan = whole.find("\xff\xda");
    ASSERT_NE(scan, std::string::npos);
    writeText("notes.tga", "not an image at all\n");
    writeText("cut.jpg", whole.substr(0, (scan + whole.size()) / 2));

    for (const auto& [file, error] : {std::pair{"nowhere.tga", "1290 - could not open file"},
                                      {"notes.tga", "1506 - jpeg library error"},
                                      {"cut.jpg", "1506 - jpeg library error"}}) {
        EXPECT_EXIT(
            {
                prepareToDie();
                loadTexture(file);
            },
            testing::ExitedWithCode(1),
            HasSubstr(std::string("ERROR: Image load failed - IL reports error: ") + error + ": " +
                      file + "\n"));
    }
    // A run of forty one bits holds no Huffman code.
    std::string badCodes = whole;
    for (std::size_t i = 0; i < 10; i += 2) {
        badCodes[(scan + whole.size()) / 2 + i] = '\xff';
        badCodes[(scan + whole.size()) / 2 + i + 1] = '\0';
    }
    writeText("bad-codes.jpg", badCodes);
    const Picture loaded = readTexels(loadTexture("bad-codes.jpg"));
    EXPECT_EQ(loaded.width, 64);
    EXPECT_EQ(loaded.height, 64);
}
