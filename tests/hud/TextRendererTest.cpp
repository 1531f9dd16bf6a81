// The game font's glyph textures and the quads drawing leaves in the vertex
// buffer, read back from GL, and a missing font.
#include "assets/MipChain.h"
#include "hud/Hud.h"
#include "tests/hud/TextFixture.h"

#include <cstdint>
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

// Each glyph texture holds FreeType's bitmap row for row (uploaded with
// another row alignment, most glyphs would shear) and under it the CPU mip
// chain, which the HUD's small lines are drawn from; the chain itself is the
// builder's, tested on its own.
TEST_F(TextRendering, GlyphTexturesHoldTheFontsBitmapsAndTheirMipChains) {
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
        pizzeria::assets::MipLevel base{int(bitmap.width), int(bitmap.rows), {}};
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const unsigned char* line = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
            base.texels.insert(base.texels.end(), line, line + bitmap.width);
        }
        auto levels =
            pizzeria::assets::buildMipChain(base.texels.data(), base.width, base.height, 1);
        levels.insert(levels.begin(), base);
        glBindTexture(GL_TEXTURE_2D, text->characters.at(c).textureId);
        for (std::size_t level = 0; level < levels.size(); ++level) {
            std::vector<std::uint8_t> texels(levels[level].texels.size());
            glGetTexImage(GL_TEXTURE_2D, GLint(level), GL_RED, GL_UNSIGNED_BYTE, texels.data());
            ASSERT_EQ(texels, levels[level].texels) << c << " level " << level;
        }
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR) << "small text samples the chain";
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
