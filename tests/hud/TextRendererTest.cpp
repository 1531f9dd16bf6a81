// The game font's glyph textures and the quads drawing leaves in the vertex
// buffer, read back from GL, and a missing font.
#include "hud/Hud.h"
#include "tests/hud/TextFixture.h"

#include <cmath>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

using pizzeria::hud::TextRenderer;

namespace {

class TextRendering : public TextFixture {
protected:
    void SetUp() override {
        TextFixture::SetUp();
        text = std::make_unique<TextRenderer>(800);
        ASSERT_EQ(text->characters.size(), 128u);
    }
    // The quad of the last character of `line`, drawn from pen (10, 100).
    TextRenderer::Quad lastQuad(const std::string& line, float scale) {
        text->renderText(*shader, line, 10.0f, 100.0f, scale, glm::vec3(1.0f));
        TextRenderer::Quad quad{};
        glBindBuffer(GL_ARRAY_BUFFER, text->vbo);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(quad), quad.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return quad;
    }
    std::unique_ptr<TextRenderer> text;
};

} // namespace

// Each glyph texture holds FreeType's bitmap row for row: uploaded with
// another row alignment, most glyphs would shear.
TEST_F(TextRendering, GlyphTexturesHoldTheFontsBitmaps) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, text->fontPath.c_str(), 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, 120); // 15 % of the window's 800 rows
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (char c = '!'; c <= '~'; ++c) {
        ASSERT_EQ(FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER), 0);
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        ASSERT_EQ(text->characters.at(c).size, glm::ivec2(bitmap.width, bitmap.rows)) << c;
        std::vector<unsigned char> texels(std::size_t(bitmap.width) * bitmap.rows);
        glBindTexture(GL_TEXTURE_2D, text->characters.at(c).textureId);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, texels.data());
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const unsigned char* expected = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
            ASSERT_TRUE(std::equal(expected, expected + bitmap.width,
                                   texels.begin() + std::ptrdiff_t(row * bitmap.width)))
                << c << " row " << row;
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

TEST_F(TextRendering, BytesAbove127AreEmptyQuadsThatLeaveNoGap) {
    EXPECT_EQ(lastQuad("H\xE9\xFF\x80p", 1.0f), lastQuad("Hp", 1.0f));
    const auto empty = lastQuad("\xE9", 1.0f);
    for (std::size_t i = 0; i < empty.size(); i += 4) {
        EXPECT_EQ(glm::vec2(empty[i], empty[i + 1]), glm::vec2(10.0f, 100.0f)) << i / 4;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

namespace {

// The window's red channel (text is drawn white on black), bottom row first.
std::vector<unsigned char> windowRed() {
    std::vector<unsigned char> red(std::size_t(1200) * 800);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1200, 800, GL_RED, GL_UNSIGNED_BYTE, red.data());
    return red;
}

} // namespace

// The glyphs' mip chains are box-filtered on the CPU instead of by the driver.
// The HUD's small lines (a fifth and a quarter of the raster size, and the
// smallest, the frame-rate line) must look as they did with the driver's
// mipmaps: within a few levels, off by more only on a sliver of the text's
// pixels. The chain itself is the builder's, tested on its own.
TEST_F(TextRendering, SmallTextLooksAsWithTheDriversOwnMipmaps) {
    const auto draw = [&] {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glUseProgram(shader->program);
        text->renderText(*shader, "next Pizza:", 15.6f, 758.0f, 0.25f, glm::vec3(1.0f));
        text->renderText(*shader, "- tomato - jalapeno", 18.0f, 732.8f, 0.2f, glm::vec3(1.0f));
        text->renderText(*shader, "lifes: 3 $50 29.99", 18.0f, 600.0f, 0.2f, glm::vec3(1.0f));
        text->renderText(*shader, "60fps 16.666667ms", 12.0f, 12.0f, 0.2f, glm::vec3(1.0f));
        glDisable(GL_BLEND);
        return windowRed();
    };
    const std::vector<unsigned char> ours = draw();
    for (const auto& entry : text->characters) {
        if (entry.second.size.x > 0 && entry.second.size.y > 0) {
            glBindTexture(GL_TEXTURE_2D, entry.second.textureId);
            glGenerateMipmap(GL_TEXTURE_2D);
        }
    }
    const std::vector<unsigned char> drivers = draw();
    // Normalised cross-correlation over the pixels either drew, the measure
    // the player test reads the HUD with (it accepts 0.75 against an ideal
    // box-filtered rendering); the two mipmaps must agree far more closely.
    int inked = 0;
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0, difference = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (ours[i] == 0 && drivers[i] == 0) {
            continue;
        }
        const double a = ours[i];
        const double b = drivers[i];
        ++inked;
        sa += a;
        sb += b;
        saa += a * a;
        sbb += b * b;
        sab += a * b;
        difference += std::abs(a - b);
    }
    ASSERT_GT(inked, 2000) << "the lines are drawn";
    const double n = inked;
    const double correlation =
        (sab - sa * sb / n) / std::sqrt((saa - sa * sa / n) * (sbb - sb * sb / n));
    EXPECT_GT(correlation, 0.98);
    EXPECT_LT(difference / n, 8.0) << "mean difference in levels";
    EXPECT_NEAR(sa / n, sb / n, 2.0) << "as much ink";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextRendering, MissingFontPrintsAndTheHudDrawsOn) {
    testsupport::TempDir empty;
    std::filesystem::current_path(empty.path());
    testing::internal::CaptureStdout();
    pizzeria::hud::Hud hud(1200, 800);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR FREETYPE: Failed to load font\n");
    EXPECT_TRUE(hud.textRenderer->characters.empty());

    hud.setPizzaIngredients({"egg"});
    hud.playing = false;
    hud.draw(*shader);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    std::filesystem::current_path(previous);
}
