#pragma once

#include "render/Shader.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include "assets/MipChain.h"

#include <array>
#include <cstdint>
#include <future>
#include <map>
#include <string>
#include <vector>

namespace pizzeria::hud {

// One rasterised glyph of the HUD font.
struct Character {
    GLuint textureId = 0;
    glm::ivec2 size{0, 0};     // bitmap width and rows in pixels
    glm::ivec2 bearing{0, 0};  // left offset from the pen, top offset above the baseline
    std::uint32_t advance = 0; // 26.6 fixed point, 1/64 pixel
};

// The font's glyphs rasterised on the CPU, ready to upload, with the lines
// FreeType's failures print, in order.
struct GlyphSet {
    struct Glyph {
        char code = 0;
        int width = 0; // bitmap width and rows in pixels
        int rows = 0;
        int left = 0; // bearing: left of the pen, top above the baseline
        int top = 0;
        std::uint32_t advance = 0;          // 26.6 fixed point
        std::vector<std::uint8_t> coverage; // rows tightly packed, top row first
        std::vector<assets::MipLevel> mips; // box-filtered, below the bitmap
    };
    std::string fontPath;
    int pixelHeight = 0;
    bool faceLoaded = false; // FreeType started and read the font
    std::vector<std::string> messages;
    std::vector<Glyph> glyphs;
};

// Draws ASCII text over the frame: the glyphs 0..127 of one TrueType font are
// rasterised once at start-up, one texture each, and every character is one
// textured quad placed by its bearing and moved on by its advance.
class TextRenderer {
public:
    // Six vertices of (x, y, u, v): the 96 bytes of the quad buffer.
    using Quad = std::array<float, 24>;

    // Rasterises the font at a pixel height of 15% of `height` and builds the quad
    // buffer; needs a current context. FreeType failures print and leave glyphs out.
    explicit TextRenderer(int height);
    virtual ~TextRenderer() = default;

    // Rasterises the font anew for a window `height` pixels high; the old
    // glyph textures are released.
    virtual void resize(int height);

    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // Draws `text` with its baseline starting at window pixel (x, y), glyphs scaled by
    // `scale`, in `color` over a dark drop shadow; `shader` is the current "text" program.
    virtual void renderText(const render::Shader& shader, const std::string& text, float x, float y,
                            float scale, glm::vec3 color);

    // The glyph of `c`, or an empty one (no texture, size or advance) when the font
    // has none, as for every byte above 127.
    const Character& glyph(char c) const;

    // The quad of `ch` for a pen at (x, y), top-left vertex first.
    static Quad quad(const Character& ch, float x, float y, float scale);

    // Whole-pixel advance of `ch` at `scale`; the 1/64 fraction is dropped first.
    static float advance(const Character& ch, float scale);

    std::map<char, Character> characters;
    GLuint vao = 0;
    GLuint vbo = 0;
    static constexpr const char* fontFile = "Fonts/Hack-Regular.ttf";
    const std::string fontPath = fontFile;

    // The glyph height for a window `windowHeight` pixels high.
    static int pixelHeightFor(int windowHeight);

    // The CPU half of building the glyph table; prints nothing, safe on any
    // thread.
    static GlyphSet rasterise(const std::string& fontPath, int pixelHeight);

    // Hands the next TextRenderer glyphs a start-up worker is rasterising; it
    // waits for them, prints their messages where it would have printed its
    // own, and uploads them, unless they are for another size or font.
    static void promise(std::future<GlyphSet> glyphs);

private:
    void loadGlyphs(int pixelHeight);
    void drawRun(const render::Shader& shader, const std::string& text, float x, float y,
                 float scale, glm::vec3 color);

    int glyphPixels = 0; // the rasterised glyph height
    static constexpr glm::vec3 shadowColor{0.0f, 0.0f, 0.0f};
};

} // namespace pizzeria::hud
