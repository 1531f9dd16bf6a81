// What the HUD asks its text renderer to draw in a 1200 x 800 window.
#include "hud/Hud.h"
#include "tests/hud/TextFixture.h"

#include <cmath>
#include <ostream>
#include <vector>

using pizzeria::hud::Hud;

namespace {

struct Line {
    std::string text;
    float x, y, scale;
    glm::vec3 color;
    bool operator==(const Line& o) const {
        const auto near = [](float a, float b) { return std::abs(a - b) < 1e-4f; };
        return text == o.text && near(x, o.x) && near(y, o.y) && scale == o.scale &&
               color == o.color;
    }
};

std::ostream& operator<<(std::ostream& out, const Line& l) {
    return out << '"' << l.text << "\" at (" << l.x << ", " << l.y << ") scale " << l.scale;
}

// Records each line instead of drawing it.
class RecordingText : public pizzeria::hud::TextRenderer {
public:
    explicit RecordingText(std::vector<Line>& lines) : TextRenderer(800), lines(lines) {}
    void renderText(const pizzeria::render::Shader&, const std::string& text, float x, float y,
                    float scale, glm::vec3 color) override {
        lines.push_back({text, x, y, scale, color});
    }
    std::vector<Line>& lines;
};

const glm::vec3 white{1.0f};

class HudLayout : public TextFixture {
protected:
    std::vector<Line> drawn() {
        lines.clear();
        hud.draw(*shader);
        return lines;
    }
    std::vector<Line> lines;
    Hud hud{1200, 800, std::make_unique<RecordingText>(lines)};
};

} // namespace

// The time is cut after two decimals, never rounded up; the last line is the
// frame rate while playing (above the mini-map while it shows), and GAME OVER
// with the way to play again once the game is over.
TEST_F(HudLayout, PlacesEveryLineFromTheFontSize) {
    hud.setMoney(50);
    hud.setTime(29.999f);
    hud.setLives(3);
    hud.setPizzaIngredients({"bacon", "corn"});
    std::vector<Line> want = {{"$50", 529.8f, 728.0f, 0.6f, {0.16f, 0.5f, 0.0f}},
                              {"29.99", 1077.6f, 752.0f, 0.3f, white},
                              {"next Pizza:", 15.6f, 758.0f, 0.25f, white},
                              {"- bacon", 18.0f, 732.8f, 0.2f, white},
                              {"- corn", 18.0f, 707.6f, 0.2f, white},
                              {"lifes: 3", 1065.6f, 716.0f, 0.2f, white}};
    EXPECT_EQ(drawn(), want);

    hud.setPizzaIngredients({});
    want.erase(want.begin() + 3, want.begin() + 5);
    hud.setFps(60);
    pizzeria::app::gameSettings.showFps = true;
    want.push_back({"60fps 16.666667ms", 12.0f, 12.0f, 0.2f, {1.0f, 0.5f, 0.1f}});
    EXPECT_EQ(drawn(), want);
    pizzeria::app::gameSettings.miniMapEnabled = true; // the line moves above the inset
    want.back().y = 12.0f + 10.0f + 200.0f;
    EXPECT_EQ(drawn(), want);

    hud.playing = false;
    want.back() = {"GAME OVER", 288.0f, 280.0f, 1.0f, {1.0f, 0.09f, 0.06f}};
    want.push_back({"press Enter to play again", 375.0f, 226.0f, 0.25f, white});
    EXPECT_EQ(drawn(), want);
}

TEST(HudFrameRate, StaysBoundedForAnyFrameTime) {
    const int most = Hud::maxFrameRate;
    for (const auto& [dt, rate] : std::vector<std::pair<float, int>>{
             {0.016f, 62}, {0.25f, 4}, {1.5f, 0}, {0.0f, most}, {1e-30f, most}}) {
        EXPECT_EQ(Hud::frameRate(dt), rate) << dt;
    }
}
