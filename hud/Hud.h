#pragma once

#include "hud/TextRenderer.h"
#include "render/Shader.h"

#include <memory>
#include <string>
#include <vector>

namespace pizzeria::hud {

// The heads-up display: money at the top centre, the order clock at the top
// right with the lives below it, the next pizza at the top left, an optional
// frame-rate line at the bottom left (above the mini-map while it shows) and "GAME OVER" in the
// middle once the game has ended. Every size and position derives from the window size.
class Hud {
public:
    // The highest rate `frameRate` reports, for frames too short to measure.
    static constexpr int maxFrameRate = 100000;

    // Lays out for a window of `width` x `height` and rasterises the font; needs a
    // current context.
    Hud(int width, int height);

    // As above, drawing through `textRenderer` instead of a renderer of its own.
    Hud(int width, int height, std::unique_ptr<TextRenderer> textRenderer);

    // Shows "$" and `n`, with a minus sign when negative.
    void setMoney(int n);

    // Shows `t` seconds with two decimals, cut rather than rounded (29.999 shows 29.99).
    void setTime(float t);

    // Shows "lifes: " and `n`.
    void setLives(int n);

    // Shows `fps` and the matching frame time, e.g. "60fps 16.666667ms"; a rate
    // below 1 (a frame over a second long) shows the frame time as "inf".
    void setFps(int fps);

    // Lays out for a window of a new size, with the font rasterised anew.
    void resize(int newWidth, int newHeight);

    // Lists `names` under "next Pizza:".
    void setPizzaIngredients(const std::vector<std::string>& names);

    // Draws every line with `shader`, the current "text" program.
    void draw(const render::Shader& shader);

    // Frames per second for a frame of `dt` seconds, at most `maxFrameRate`, so a
    // zero or unmeasurably short frame never converts infinity to an int.
    static int frameRate(float dt);

    bool playing = true; // cleared at game over, set again by a new round
    const std::string gameOverText = "GAME OVER";
    const std::string playAgainText = "press Enter to play again";
    std::unique_ptr<TextRenderer> textRenderer;
    int width = 0;
    int height = 0;
    int fontSize = 0; // the glyphs' pixel height; the unit of every position
    std::string moneyText;
    std::string timeText;
    std::string livesText;
    std::string fpsText;
    std::vector<std::string> pizzaIngredients;
};

} // namespace pizzeria::hud
