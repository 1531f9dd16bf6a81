#include "hud/Hud.h"

#include "app/GameSettings.h"
#include "render/Renderer.h"

#include <algorithm>
#include <utility>

namespace pizzeria::hud {

namespace {

const glm::vec3 moneyColor{0.16f, 0.5f, 0.0f};
const glm::vec3 white{1.0f, 1.0f, 1.0f};
const glm::vec3 gameOverColor{1.0f, 0.09f, 0.06f};
const glm::vec3 fpsColor{1.0f, 0.5f, 0.1f};

double length(const std::string& text) {
    return double(text.size());
}

} // namespace

Hud::Hud(int width, int height) : Hud(width, height, std::make_unique<TextRenderer>(height)) {}

Hud::Hud(int width, int height, std::unique_ptr<TextRenderer> textRenderer)
    : textRenderer(std::move(textRenderer)), width(width), height(height),
      fontSize(int(height * 0.15)) {}

void Hud::setMoney(int n) {
    moneyText = "$" + std::to_string(n);
}

void Hud::setTime(float t) {
    // to_string formats with "%f"; keep two decimals without rounding up.
    timeText = std::to_string(t);
    const auto point = timeText.find('.');
    if (point != std::string::npos) {
        timeText.resize(std::min(timeText.size(), point + 3));
    }
}

void Hud::setLives(int n) {
    livesText = "lifes: " + std::to_string(n);
}

void Hud::setFps(int fps) {
    // Dividing by a rate of 0 would be undefined; such a frame took "inf" ms.
    const std::string frameTime = fps > 0 ? std::to_string(1.0 / fps * 1000.0) : "inf";
    fpsText = std::to_string(fps) + "fps " + frameTime + "ms";
}

void Hud::resize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    fontSize = int(height * 0.15);
    textRenderer->resize(height);
}

void Hud::setPizzaIngredients(const std::vector<std::string>& names) {
    pizzaIngredients = names;
}

int Hud::frameRate(float dt) {
    // A zero (or NaN) frame time is never divided by; a negative one cannot come from the clock.
    if (!(dt > 0.0f)) {
        return maxFrameRate;
    }
    const double rate = 1.0 / double(dt);
    return rate < maxFrameRate ? int(rate) : maxFrameRate;
}

void Hud::draw(const render::Shader& shader) {
    const double fs = fontSize;
    const double w = width;
    const double h = height;
    const double halfW = width / 2;
    TextRenderer& text = *textRenderer;

    // The x positions estimate a line's printed width as its length times the
    // font size, the scale and an average glyph width, to centre or right-align it.
    text.renderText(shader, moneyText, float(halfW - length(moneyText) * 0.5 * fs * 0.6 * 0.65),
                    float(h - fs * 0.6), 0.6f, moneyColor);
    text.renderText(shader, timeText, float(w - (length(timeText) * fs) * 0.3 * 0.68),
                    float(h - fs * 0.4), 0.3f, white);
    text.renderText(shader, "next Pizza:", float(fs * 0.13), float(h - fs * 0.35), 0.25f, white);
    for (std::size_t i = 1; i <= pizzaIngredients.size(); ++i) {
        text.renderText(shader, "- " + pizzaIngredients[i - 1], float(fs * 0.15),
                        float(h - fs * 0.35 - fs * 0.21 * double(i)), 0.2f, white);
    }
    text.renderText(shader, livesText, float(w - (length(livesText) * fs) * 0.2 * 0.7),
                    float(h - fs * 0.7), 0.2f, white);
    if (!playing) {
        const double halfLength = double(gameOverText.size() / 2);
        text.renderText(shader, gameOverText, float(halfW - halfLength * fs * 0.65),
                        float(height / 2 - fontSize), 1.0f, gameOverColor);
        text.renderText(shader, playAgainText,
                        float(halfW - length(playAgainText) * 0.5 * fs * 0.25 * 0.6),
                        float(height / 2 - fontSize - fs * 0.45), 0.25f, white);
    } else if (app::gameSettings.showFps) {
        // The mini-map inset takes the corner while it shows; the line sits above it.
        double baseline = fs * 0.1;
        if (app::gameSettings.miniMapEnabled) {
            const render::Renderer::Rect inset = render::Renderer::miniMapInset(width, height);
            baseline += double(inset.y + inset.height);
        }
        text.renderText(shader, fpsText, float(fs * 0.1), float(baseline), 0.2f, fpsColor);
    }
}

} // namespace pizzeria::hud
