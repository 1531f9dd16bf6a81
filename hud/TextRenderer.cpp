#include "hud/TextRenderer.h"

#include "assets/MipChain.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iostream>
#include <mutex>
#include <vector>

namespace pizzeria::hud {

namespace {

const Character emptyCharacter{};

} // namespace

TextRenderer::TextRenderer(int height) {
    loadGlyphs(pixelHeightFor(height));

    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(Quad), nullptr, GL_DYNAMIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void TextRenderer::resize(int height) {
    for (const auto& entry : characters) {
        glDeleteTextures(1, &entry.second.textureId);
    }
    characters.clear();
    loadGlyphs(pixelHeightFor(height));
}

namespace {

std::mutex promisedLock;
std::future<GlyphSet> promisedGlyphs;

} // namespace

int TextRenderer::pixelHeightFor(int windowHeight) {
    // FreeType treats a zero size as "unset"; a tiny window still gets 1 pixel.
    return std::max(1, int(windowHeight * 0.15));
}

GlyphSet TextRenderer::rasterise(const std::string& fontPath, int pixelHeight) {
    GlyphSet set;
    set.fontPath = fontPath;
    set.pixelHeight = pixelHeight;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        set.messages.emplace_back("ERROR FREETYPE: Could not init FreeType Library");
        return set;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) {
        // Without a face no glyph can load: the text stays invisible, the game goes on.
        set.messages.emplace_back("ERROR FREETYPE: Failed to load font");
        FT_Done_FreeType(library);
        return set;
    }
    set.faceLoaded = true;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight));
    for (int code = 0; code < 128; ++code) {
        if (FT_Load_Char(face, FT_ULong(code), FT_LOAD_RENDER) != 0) {
            set.messages.emplace_back("ERROR FREETYTPE: Failed to load Glyph");
            continue;
        }
        const FT_GlyphSlot slot = face->glyph;
        GlyphSet::Glyph glyph;
        glyph.code = char(code);
        glyph.width = int(slot->bitmap.width);
        glyph.rows = int(slot->bitmap.rows);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.advance = std::uint32_t(slot->advance.x);
        glyph.coverage.resize(std::size_t(glyph.width) * std::size_t(glyph.rows));
        for (int row = 0; row < glyph.rows; ++row) {
            const unsigned char* line =
                slot->bitmap.buffer + std::ptrdiff_t(row) * slot->bitmap.pitch;
            std::copy(line, line + glyph.width,
                      glyph.coverage.begin() + std::ptrdiff_t(row) * glyph.width);
        }
        // Most lines draw at a fifth of the raster size; plain bilinear
        // sampling would skip texels there and leave ragged, uneven strokes.
        // The chain is box-filtered here: the software renderer's
        // glGenerateMipmap takes milliseconds per glyph.
        glyph.mips = assets::buildMipChain(glyph.coverage.data(), glyph.width, glyph.rows, 1);
        set.glyphs.push_back(std::move(glyph));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return set;
}

void TextRenderer::promise(std::future<GlyphSet> glyphs) {
    const std::lock_guard<std::mutex> lock(promisedLock);
    promisedGlyphs = std::move(glyphs);
}

void TextRenderer::loadGlyphs(int pixelHeight) {
    glyphPixels = pixelHeight;
    std::future<GlyphSet> promised;
    {
        const std::lock_guard<std::mutex> lock(promisedLock);
        promised = std::move(promisedGlyphs);
    }
    GlyphSet set;
    if (promised.valid()) {
        set = promised.get();
    }
    if (set.pixelHeight != pixelHeight || set.fontPath != fontPath) {
        set = rasterise(fontPath, pixelHeight);
    }
    for (const std::string& message : set.messages) {
        std::cout << message << std::endl;
    }
    if (!set.faceLoaded) {
        return;
    }
    // Glyph rows are tightly packed bytes. Left this way for every later upload.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (const GlyphSet::Glyph& glyph : set.glyphs) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, glyph.width, glyph.rows, 0, GL_RED, GL_UNSIGNED_BYTE,
                     glyph.coverage.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        assets::uploadMipChain(glyph.mips, GL_RED, GL_RED);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        characters[glyph.code] =
            Character{texture, {glyph.width, glyph.rows}, {glyph.left, glyph.top}, glyph.advance};
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

const Character& TextRenderer::glyph(char c) const {
    // A map lookup, so bytes above 127 (negative chars) can never index past the table.
    const auto found = characters.find(c);
    return found == characters.end() ? emptyCharacter : found->second;
}

TextRenderer::Quad TextRenderer::quad(const Character& ch, float x, float y, float scale) {
    const float xpos = x + float(ch.bearing.x) * scale;
    const float ypos = y - float(ch.size.y - ch.bearing.y) * scale;
    const float w = float(ch.size.x) * scale;
    const float h = float(ch.size.y) * scale;
    const float top = ypos + h;
    const float right = xpos + w;
    // Two triangles; v = 0 is the bitmap's top row.
    return {xpos, top, 0, 0, xpos,  ypos, 0, 1, right, ypos, 1, 1,
            xpos, top, 0, 0, right, ypos, 1, 1, right, top,  1, 0};
}

float TextRenderer::advance(const Character& ch, float scale) {
    return float(ch.advance >> 6) * scale;
}

void TextRenderer::renderText(const render::Shader& shader, const std::string& text, float x,
                              float y, float scale, glm::vec3 color) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glActiveTexture(GL_TEXTURE0);
    glBindVertexArray(vao);
    // A dark copy down and to the right keeps the text readable over a white
    // scene (the occlusion view, the moon).
    const float drop = std::max(1.0f, std::round(float(glyphPixels) * scale / 12.0f));
    drawRun(shader, text, x + drop, y - drop, scale, shadowColor);
    drawRun(shader, text, x, y, scale, color);
    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void TextRenderer::drawRun(const render::Shader& shader, const std::string& text, float x, float y,
                           float scale, glm::vec3 color) {
    glUniform3f(glGetUniformLocation(shader.program, "textureColor"), color.r, color.g, color.b);
    for (const char c : text) {
        const Character& ch = glyph(c);
        const Quad vertices = quad(ch, x, y, scale);
        glBindTexture(GL_TEXTURE_2D, ch.textureId);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(vertices), vertices.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        x += advance(ch, scale);
    }
}

} // namespace pizzeria::hud
