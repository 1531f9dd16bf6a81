#pragma once

#include "render/Shader.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace pizzeria::hud {

// One rasterised glyph of the HUD font.
struct Character {
    GLuint textureId = 0;
    glm::ivec2 size{0, 0};     // bitmap width and rows in pixels
    glm::ivec2 bearing{0, 0};  // left offset from the pen, top offset above the baseline
    std::uint32_t advance = 0; // 26.6 fixed point, 1/64 pixel
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
    // `scale`, in `color`; `shader` is the current "text" program.
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
    const std::string fontPath = "Fonts/Hack-Regular.ttf";

private:
    void loadGlyphs(int pixelHeight);
};

} // namespace pizzeria::hud
