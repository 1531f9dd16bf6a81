// The game font's glyph table, and the quads drawing leaves in the vertex
// buffer, read back from GL.
#include "hud/Hud.h"
#include "tests/hud/TextFixture.h"

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

TEST_F(TextRendering, RasterisesEveryAsciiGlyphAtFifteenPercentOfTheHeight) {
    for (const int height : {800, 400}) {
        testing::internal::CaptureStdout();
        const TextRenderer font(height);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        ASSERT_EQ(font.characters.size(), 128u);
        const int pixels = int(height * 0.15);
        const auto& h = font.characters.at('H');
        const auto& p = font.characters.at('p');
        // Hack is monospaced, about 0.6 em wide, with caps about 0.73 em high.
        for (char c = ' '; c <= '~'; ++c) {
            EXPECT_EQ(font.characters.at(c).advance, h.advance) << c;
        }
        EXPECT_NEAR(h.advance >> 6, pixels * 0.6, 1.0);
        EXPECT_NEAR(h.size.y, pixels * 0.73, 2.0);
        EXPECT_EQ(h.bearing.y, h.size.y) << "H sits on the baseline";
        EXPECT_GT(p.size.y, p.bearing.y) << "p descends below it";
        EXPECT_EQ(font.characters.at(' ').size, glm::ivec2(0));
    }
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
