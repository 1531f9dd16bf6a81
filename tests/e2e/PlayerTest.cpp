// The game as a player meets it: the built executable started from its run
// folder, driven with real X input through xdotool, watched through its
// console and the pixels of its window. Pictures are judged by properties
// with tolerances; a failed check leaves its actual and expected images in
// the build's e2e-failures folder.
#include "tests/e2e/Screen.h"
#include "tests/support/Process.h"
#include "tests/support/X11Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using e2e::Image;
using e2e::Rect;

namespace {

constexpr int width = 640;
constexpr int height = 480;
// Generous: the software rasteriser on a busy two-core machine may take
// seconds for a frame.
constexpr auto patience = 90s;
// Correlation of a HUD line with its independent rasterisation.
constexpr double minTextScore = 0.75;

const std::filesystem::path fontPath =
    std::filesystem::path(PIZZERIA_RUN_DIR) / "Fonts" / "Hack-Regular.ttf";

// The HUD's layout for this window size: a line's text, its left end and
// baseline in window pixels (rows from the top), and its scale.
struct HudLine {
    std::string text;
    double x;
    double baselineFromBottom;
    double scale;
    std::array<double, 3> colour{1.0, 1.0, 1.0};
};

int fontSize() {
    return int(height * 0.15);
}

HudLine moneyLine(const std::string& text) {
    const double fs = fontSize();
    return {text,
            width / 2 - double(text.size()) * 0.5 * fs * 0.6 * 0.65,
            height - fs * 0.6,
            0.6,
            {0.16, 0.5, 0.0}};
}

HudLine clockLine(const std::string& text) {
    const double fs = fontSize();
    return {text, width - double(text.size()) * fs * 0.3 * 0.68, height - fs * 0.4, 0.3};
}

HudLine livesLine(const std::string& text) {
    const double fs = fontSize();
    return {text, width - double(text.size()) * fs * 0.2 * 0.7, height - fs * 0.7, 0.2};
}

HudLine orderTitleLine() {
    const double fs = fontSize();
    return {"next Pizza:", fs * 0.13, height - fs * 0.35, 0.25};
}

// The line rasterised independently with FreeType from the same font, and
// where its top-left corner belongs in the window.
struct ExpectedText {
    Image coverage;
    int left = 0;
    int top = 0;
};

ExpectedText expectedText(const HudLine& line) {
    ExpectedText e;
    int left = 0;
    int baseline = 0;
    e.coverage = e2e::renderText(fontPath, line.text, fontSize(), line.scale, left, baseline);
    e.left = int(line.x + 0.5) + left;
    e.top = int(height - line.baselineFromBottom + 0.5) - baseline;
    return e;
}

const ExpectedText& cachedText(const HudLine& line) {
    // Reading the clock tries thousands of strings, several times.
    static std::map<std::string, ExpectedText> cache;
    const std::string key = line.text + "@" + std::to_string(line.scale);
    auto found = cache.find(key);
    if (found == cache.end()) {
        found = cache.emplace(key, expectedText(line)).first;
    }
    return found->second;
}

double textScore(const Image& screen, const HudLine& line) {
    const ExpectedText& e = cachedText(line);
    return e2e::bestCorrelation(screen, e.coverage, e.left, e.top, 2, line.colour);
}

using Layout = HudLine (*)(const std::string&);

// What a HUD line shows, chosen among `candidates`: each is drawn into the
// box that holds them all, so a shorter string cannot match part of a longer.
struct Reading {
    std::string text;
    double score = -1.0;
    double runnerUp = -1.0;
    Image expected; // the winner as drawn into the box
    Rect box;
};

Reading readLine(const Image& screen, const std::vector<std::string>& candidates, Layout layout) {
    int left = width, top = height, right = 0, bottom = 0;
    for (const std::string& text : candidates) {
        const ExpectedText& e = cachedText(layout(text));
        left = std::min(left, e.left);
        top = std::min(top, e.top);
        right = std::max(right, e.left + e.coverage.width);
        bottom = std::max(bottom, e.top + e.coverage.height);
    }
    const int margin = 3;
    Reading reading;
    reading.box.x = std::max(margin, left - margin);
    reading.box.y = std::max(margin, top - margin);
    reading.box.width = std::min(width - margin, right + margin) - reading.box.x;
    reading.box.height = std::min(height - margin, bottom + margin) - reading.box.y;
    for (const std::string& text : candidates) {
        const HudLine line = layout(text);
        const ExpectedText& e = cachedText(line);
        Image boxed;
        boxed.width = reading.box.width;
        boxed.height = reading.box.height;
        boxed.rgb.assign(std::size_t(boxed.width) * std::size_t(boxed.height) * 3, 0);
        for (int y = 0; y < e.coverage.height; ++y) {
            const auto* from = e.coverage.pixel(0, y);
            std::copy(from, from + std::size_t(e.coverage.width) * 3,
                      boxed.rgb.begin() + std::ptrdiff_t((std::size_t(e.top - reading.box.y + y) *
                                                              std::size_t(boxed.width) +
                                                          std::size_t(e.left - reading.box.x)) *
                                                         3));
        }
        const double score = e2e::bestCorrelation(screen, boxed, reading.box.x, reading.box.y,
                                                  margin - 1, line.colour);
        if (score > reading.score) {
            reading.runnerUp = reading.score;
            reading.score = score;
            reading.text = text;
            reading.expected = std::move(boxed);
        } else if (score > reading.runnerUp) {
            reading.runnerUp = score;
        }
    }
    return reading;
}

std::vector<std::string> clockValues() {
    std::vector<std::string> values;
    for (int hundredths = 3000; hundredths >= 0; --hundredths) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
        values.emplace_back(text);
    }
    return values;
}

std::vector<std::string> numbered(const std::string& prefix, int from, int to) {
    std::vector<std::string> values;
    for (int i = from; i <= to; ++i) {
        values.push_back(prefix + std::to_string(i));
    }
    return values;
}

bool isClearColour(const std::uint8_t* p) {
    // glClearColor(0.1, 0.1, 0.1)
    return p[0] >= 23 && p[0] <= 28 && p[1] >= 23 && p[1] <= 28 && p[2] >= 23 && p[2] <= 28;
}

double shareClearColour(const Image& image) {
    return e2e::share(image, image.whole(), isClearColour);
}

// The insets of the mini-map (bottom left) and the shadow map (bottom right).
Rect miniMapInset() {
    return {10, height - 10 - height / 4, width / 4, height / 4};
}

Rect shadowInset() {
    return {width - width / 4 - 10, height - 10 - height / 4, width / 4, height / 4};
}

// Below the HUD text, where the scene alone is drawn.
Rect sceneArea() {
    return {0, height / 4, width, height * 3 / 4};
}

class Player : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(failureFolder());
        ASSERT_TRUE(x11.connected()) << "needs a display; tools/test.sh starts Xvfb";
        ASSERT_EQ(std::system("command -v xdotool >/dev/null 2>&1"), 0)
            << "xdotool is missing; tools/install-deps.sh installs it";
        // Any GL error ends the game with its text (the GL error gate).
        testsupport::ChildOptions options;
        options.set.emplace_back("PIZZERIA_GL_ERROR_GATE", "1");
        game = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{PIZZERIA_EXE, std::to_string(width), std::to_string(height)},
            PIZZERIA_RUN_DIR, options);
        window = x11.waitForWindow("Pizzeria", game->processId(), patience);
        ASSERT_NE(window, 0u) << "the game window never appeared";
        ASSERT_EQ(xdotool("windowfocus --sync " + std::to_string(window)), 0)
            << "could not focus the game window";
        first = waitForPicture("first-frame", expectedText(orderTitleLine()).coverage,
                               [](const Image& s) { return textScore(s, orderTitleLine()) > 0.6; });
        ASSERT_FALSE(HasFailure()) << "the HUD never appeared";
    }

    void TearDown() override {
        if (game && game->running()) {
            xdotool("key Escape");
            game->wait(30s);
        }
    }

    static int xdotool(const std::string& arguments) {
        return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
    }

    void press(const std::string& key) {
        ASSERT_EQ(xdotool("key " + key), 0) << "xdotool could not press " << key;
    }

    // Waits for `message` as a whole line of standard output after the lines
    // already matched.
    void expectLine(const std::string& message) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        std::vector<std::string> out;
        while (std::chrono::steady_clock::now() < deadline) {
            out = testsupport::lines(game->outSoFar());
            for (std::size_t i = linesSeen; i < out.size(); ++i) {
                if (out[i] == message) {
                    linesSeen = i + 1;
                    return;
                }
            }
            if (!game->running()) {
                break;
            }
            std::this_thread::sleep_for(50ms);
        }
        std::ostringstream seen;
        for (std::size_t i = linesSeen; i < out.size(); ++i) {
            seen << "\n  " << out[i];
        }
        ADD_FAILURE() << "no line \"" << message
                      << "\" on standard output; new lines:" << seen.str();
    }

    // Grabs the window until `holds` is true; on a timeout keeps the last
    // grab and `expected` as images and fails.
    template <typename Check>
    Image waitForPicture(const std::string& step, const Image& expected, Check holds) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        Image screen;
        while (std::chrono::steady_clock::now() < deadline) {
            screen = e2e::grabWindow(window);
            if (!screen.empty() && holds(screen)) {
                return screen;
            }
            std::this_thread::sleep_for(200ms);
        }
        keepImages(step, screen, expected);
        ADD_FAILURE() << "the picture never showed " << step;
        return screen;
    }

    static std::filesystem::path failureFolder() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        return std::filesystem::path(PIZZERIA_E2E_FAILURES) / info->name();
    }

    void keepImages(const std::string& step, const Image& actual, const Image& expected) {
        const std::filesystem::path folder = failureFolder();
        e2e::savePng(actual, folder / (step + "-actual.png"));
        e2e::savePng(expected, folder / (step + "-expected.png"));
        std::cout << "kept images of " << step << " in " << folder << std::endl;
    }

    // The HUD line reads as `expected` (any value when empty), clearly.
    void expectReading(const Image& screen, const Reading& reading, const std::string& expected,
                       const std::string& step) {
        const bool right = expected.empty() || reading.text == expected;
        EXPECT_TRUE(right) << "reads \"" << reading.text << "\", not \"" << expected << "\"";
        EXPECT_GT(reading.score, minTextScore) << "\"" << reading.text << "\" is faint";
        EXPECT_GT(reading.score, reading.runnerUp + 0.01)
            << "\"" << reading.text << "\" is unclear";
        if (!right || reading.score <= minTextScore || reading.score <= reading.runnerUp + 0.01) {
            keepImages(step, screen.crop(reading.box), reading.expected);
        }
    }

    // The picture stops changing: grabs over a few seconds agree. A frame
    // reaches the window only with the next one's event poll, and frames may
    // take a second each.
    Image settle(const std::string& step) {
        std::vector<Image> recent;
        Image oldest; // kept as the expected image when the picture never settles
        return waitForPicture(step, oldest, [&](const Image& s) {
            recent.push_back(s);
            if (recent.size() > 4) {
                recent.erase(recent.begin());
            }
            oldest = recent.front();
            std::this_thread::sleep_for(1s);
            return recent.size() == 4 &&
                   std::all_of(recent.begin(), recent.end(), [&](const Image& r) {
                       return e2e::shareDiffering(r, s, s.whole(), 4) < 0.001;
                   });
        });
    }

    testsupport::X11Windows x11;
    std::unique_ptr<testsupport::ChildProcess> game;
    unsigned long window = 0;
    std::size_t linesSeen = 0;
    Image first;
};

} // namespace

TEST_F(Player, FirstFrameShowsTheHudAndF1StopsTheClock) {
    ASSERT_FALSE(first.empty());
    expectReading(first, readLine(first, numbered("$", 0, 99), moneyLine), "$50", "money");
    expectReading(first, readLine(first, numbered("lifes: ", 0, 3), livesLine), "lifes: 3",
                  "lives");
    const double title = textScore(first, orderTitleLine());
    EXPECT_GT(title, minTextScore) << "no \"next Pizza:\"";
    if (title <= minTextScore) {
        const ExpectedText e = expectedText(orderTitleLine());
        keepImages("order", first.crop({e.left, e.top, e.coverage.width, e.coverage.height}),
                   e.coverage);
    }

    // The order clock counts down from 30 seconds.
    const std::vector<std::string> clock = clockValues();
    const Reading atStart = readLine(first, clock, clockLine);
    expectReading(first, atStart, "", "clock");
    EXPECT_GT(std::stod(atStart.text), 10.0);
    const Image later = waitForPicture("clock-running", first, [&](const Image& s) {
        return readLine(s, clock, clockLine).text != atStart.text;
    });
    const Reading running = readLine(later, clock, clockLine);
    EXPECT_LT(std::stod(running.text), std::stod(atStart.text)) << "the clock runs down";

    press("F1");
    expectLine("game paused");
    std::this_thread::sleep_for(2s); // the frame of the key press reaches the window
    const Image paused = e2e::grabWindow(window);
    const Reading stopped = readLine(paused, clock, clockLine);
    std::this_thread::sleep_for(3s);
    const Image stillPaused = e2e::grabWindow(window);
    const Reading stillStopped = readLine(stillPaused, clock, clockLine);
    expectReading(stillPaused, stillStopped, stopped.text, "clock-paused");

    press("F1");
    expectLine("game resumed");
    waitForPicture("clock-resumed", stillPaused, [&](const Image& s) {
        return std::stod(readLine(s, clock, clockLine).text) < std::stod(stopped.text);
    });

    press("Escape");
    const auto result = game->wait(patience);
    EXPECT_FALSE(result.timedOut) << "Escape did not end the game";
    EXPECT_FALSE(result.signaled);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("GL ERROR DETECTED!!!"), std::string::npos) << result.err;
    const char* software = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (software != nullptr && std::string(software) == "1") {
        EXPECT_NE(result.out.find("is a software rasteriser"), std::string::npos) << result.out;
    }
}

TEST_F(Player, EveryKeyPrintsItsMessageAndChangesThePicture) {
    // Paused and in god mode nothing moves: the world waits, the free camera
    // stays put and the cook is not stepped (his gravity step follows the
    // frame time, which jitters the orbiting camera). Each change is the key's.
    press("F1");
    expectLine("game paused");
    press("g");
    expectLine("GodMode on");
    Image base = settle("still-scene");
    const Rect whole = base.whole();
    const auto differs = [](const Image& a, const Image& b, Rect r) {
        return e2e::shareDiffering(a, b, r, 6);
    };
    const auto backToBase = [&](const Image& s) { return differs(base, s, whole) < 0.005; };
    const auto changedScene = [&](double atLeast) {
        return [&, atLeast](const Image& s) { return differs(base, s, sceneArea()) > atLeast; };
    };
    // An inset: new pixels there, the rest of the window as before.
    const auto showsInset = [&](Rect inset) {
        return [&, inset](const Image& s) {
            double outside = 0;
            for (const Rect& r : e2e::around(whole, inset)) {
                outside += differs(base, s, r) * r.width * r.height;
            }
            outside /= double(whole.width * whole.height - inset.width * inset.height);
            return differs(base, s, inset) > 0.3 && outside < 0.005;
        };
    };

    press("F3");
    expectLine("GL_POLYGON_MODE set to GL_LINE");
    waitForPicture("wireframe", base, [&](const Image& s) {
        return shareClearColour(s) > shareClearColour(base) + 0.2;
    });
    press("F3");
    expectLine("GL_POLYGON_MODE set to GL_FILL");
    waitForPicture("filled", base, backToBase);

    press("x");
    expectLine("Mini Map on");
    waitForPicture("mini-map", base, showsInset(miniMapInset()));
    press("x");
    expectLine("Mini Map off");
    waitForPicture("mini-map-off", base, backToBase);

    // The shadow map's inset, which goes with the shadows.
    press("j");
    expectLine("shadows debug on");
    const Image shadowMap = waitForPicture("shadow-map", base, showsInset(shadowInset()));
    press("F7");
    expectLine("shadows off");
    waitForPicture("shadows-off", base,
                   [&](const Image& s) { return differs(shadowMap, s, shadowInset()) > 0.3; });
    press("F7");
    expectLine("shadows on");
    waitForPicture("shadows-on", shadowMap, showsInset(shadowInset()));
    press("j");
    expectLine("shadows debug off");
    waitForPicture("shadow-map-off", base, backToBase);

    // Ambient occlusion brightens the ambient term; its debug view is the
    // grey occlusion buffer over the whole window.
    press("F6");
    expectLine("SSAO on");
    const Image ssao = waitForPicture("ssao", base, changedScene(0.2));
    press("F11");
    expectLine("SSAO debug on");
    waitForPicture("ssao-debug", ssao,
                   [&](const Image& s) { return e2e::shareGrey(s, sceneArea(), 3) > 0.9; });
    press("F11");
    expectLine("SSAO debug off");
    press("F6");
    expectLine("SSAO off");
    waitForPicture("ssao-off", base, backToBase);

    press("F10");
    expectLine("Cel Shading on");
    waitForPicture("cel-shading", base, changedScene(0.2));
    press("F10");
    expectLine("Cel Shading off");
    waitForPicture("cel-shading-off", base, backToBase);

    // The program starts with Phong's highlight whatever the setting says;
    // the second press uploads Blinn-Phong's, wider on the moonlit ground and
    // sky. That picture is the base from here on.
    press("b");
    expectLine("lighting set to phong");
    press("b");
    expectLine("lighting set to blinn-phong");
    waitForPicture("blinn-phong", base,
                   [&](const Image& s) { return differs(base, s, whole) > 0.01; });
    base = settle("blinn-phong-settled");

    // Without blending each glyph's whole quad is painted in the text colour.
    const ExpectedText title = expectedText(orderTitleLine());
    const Rect titleBox{title.left, title.top, title.coverage.width, title.coverage.height};
    const auto white = [](const std::uint8_t* p) { return p[0] > 240 && p[1] > 240 && p[2] > 240; };
    press("F9");
    expectLine("blending off");
    waitForPicture("no-blending", base, [&](const Image& s) {
        return e2e::share(s, titleBox, white) > e2e::share(base, titleBox, white) + 0.2;
    });
    press("F9");
    expectLine("blending on");
    waitForPicture("blending", base, backToBase);

    // The frame-rate line, orange, at the bottom left; F2 prints nothing.
    const Rect fpsBox{0, height - fontSize() / 2, width / 2, fontSize() / 2};
    const auto orange = [](const std::uint8_t* p) {
        return p[0] > 200 && p[1] > 90 && p[1] < 170 && p[2] < 80;
    };
    press("F2");
    waitForPicture("frame-rate", base,
                   [&](const Image& s) { return e2e::share(s, fpsBox, orange) > 0.01; });
    press("F2");
    waitForPicture("frame-rate-off", base, backToBase);

    // Texture filtering and mipmapping leave the terrain drawn differently
    // after a whole cycle: the game's start filtering is none of the cycle's.
    for (const char* message :
         {"TexQuality GL_LINEAR", "TexQuality GL_NEAREST", "default setting"}) {
        press("F4");
        expectLine(message);
    }
    for (const char* message : {"MipMapping GL_LINEAR_MIPMAP_LINEAR",
                                "MipMapping GL_NEAREST_MIPMAP_NEAREST", "no MipMapping"}) {
        press("F5");
        expectLine(message);
    }
    waitForPicture("texture-filtering", base, changedScene(0.02));
    const Image filtered = settle("filtered");
    const auto backToFiltered = [&](const Image& s) { return differs(filtered, s, whole) < 0.005; };
    press("F8");
    expectLine("culling off");
    press("F8");
    expectLine("culling on");
    press("m");
    expectLine("Sound off");
    press("m");
    expectLine("Sound on");
    press("p");
    expectLine("party Mode on");
    press("p");
    expectLine("party Mode off");
    waitForPicture("all-keys-off", filtered, backToFiltered);

    // The mouse turns the free camera; W flies it forward. Each try moves the
    // pointer again, in case a motion arrived before the window took it.
    waitForPicture("mouse-look", filtered, [&](const Image& s) {
        if (differs(filtered, s, sceneArea()) > 0.2) {
            return true;
        }
        xdotool("mousemove_relative -- 150 40");
        std::this_thread::sleep_for(1s);
        return false;
    });
    const Image turned = settle("turned");
    ASSERT_EQ(xdotool("keydown w"), 0);
    waitForPicture("flight", turned,
                   [&](const Image& s) { return differs(turned, s, sceneArea()) > 0.2; });
    ASSERT_EQ(xdotool("keyup w"), 0);
    press("g");
    expectLine("GodMode off");

    // The left button swings the bat; no message for it.
    ASSERT_EQ(xdotool("mousedown 1"), 0);
    std::this_thread::sleep_for(1s);
    ASSERT_EQ(xdotool("mouseup 1"), 0);
    press("F1");
    expectLine("game resumed");

    press("Escape");
    const auto result = game->wait(patience);
    EXPECT_FALSE(result.timedOut) << "Escape did not end the game";
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto out = testsupport::lines(result.out);
    EXPECT_EQ(out.size(), linesSeen) << "unexpected lines:\n" << result.out;
}
