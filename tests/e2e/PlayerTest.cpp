// The game as a player meets it: the built executable started from its run
// folder, driven with real X input through xdotool, watched through its
// console and the pixels of its window. Pictures are judged by properties
// with tolerances; a failed check leaves its actual and expected images in
// the build's e2e-failures folder.
#include "tests/e2e/Screen.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/Process.h"
#include "tests/support/X11Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
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

// Where the HUD's lines lie for this window size: the text's left end and
// baseline from the layout, the box its capitals fill in the game's font.
constexpr int fontSize = int(height * 0.15);

Rect hudBox(std::size_t characters, double left, double baselineFromBottom, double scale) {
    const double em = fontSize * scale;
    return {int(left), int(height - baselineFromBottom - 0.75 * em), int(characters * 0.6 * em),
            int(0.75 * em)};
}

Rect moneyBox() { // "$50"
    return hudBox(3, width / 2 - 3 * 0.5 * fontSize * 0.6 * 0.65, height - fontSize * 0.6, 0.6);
}

Rect clockBox() { // "29.99" and shorter, aligned right
    return hudBox(5, width - 5 * fontSize * 0.3 * 0.68, height - fontSize * 0.4, 0.3);
}

Rect titleBox() { // "next Pizza:"
    return hudBox(11, fontSize * 0.13, height - fontSize * 0.35, 0.25);
}

bool white(const std::uint8_t* p) {
    return p[0] > 200 && p[1] > 200 && p[2] > 200;
}

bool moneyGreen(const std::uint8_t* p) {
    return p[1] > 90 && p[0] < 90 && p[2] < 40;
}

bool isClearColour(const std::uint8_t* p) {
    // glClearColor(0.1, 0.1, 0.1)
    return p[0] >= 23 && p[0] <= 28 && p[1] >= 23 && p[1] <= 28 && p[2] >= 23 && p[2] <= 28;
}

// The mini-map's inset, at the bottom left.
Rect miniMapInset() {
    return {10, height - 10 - height / 4, width / 4, height / 4};
}

// Below the HUD text, where the scene alone is drawn.
Rect sceneArea() {
    return {0, height / 4, width, height * 3 / 4};
}

int xdotool(const std::string& arguments) {
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
}

// The game started with `arguments` and the GL error gate (any GL error ends
// it with its text), its window found and focused; ended with Escape.
struct StartedGame {
    testsupport::X11Windows x11;
    std::unique_ptr<testsupport::ChildProcess> process;
    unsigned long window = 0; // 0 when it never appeared or took no focus

    explicit StartedGame(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{testsupport::gameExe()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        testsupport::ChildOptions options;
        options.set.emplace_back("PIZZERIA_GL_ERROR_GATE", "1");
        process = std::make_unique<testsupport::ChildProcess>(argv, testsupport::runDir(), options);
        if (x11.connected()) {
            window = x11.waitForWindow("Pizzeria", process->processId(), patience);
        }
        if (window != 0 && xdotool("windowfocus --sync " + std::to_string(window)) != 0) {
            window = 0;
        }
    }
    ~StartedGame() {
        if (process->running()) {
            xdotool("key Escape");
            process->wait(30s);
        }
    }
};

class Player : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(failureFolder());
        ASSERT_EQ(std::system("command -v xdotool >/dev/null 2>&1"), 0)
            << "xdotool is missing; tools/install-deps.sh installs it";
        started = std::make_unique<StartedGame>(
            std::vector<std::string>{std::to_string(width), std::to_string(height)});
        ASSERT_TRUE(started->x11.connected()) << "needs a display; tools/test.sh starts Xvfb";
        ASSERT_NE(started->window, 0u) << "the game window never appeared or took no focus";
        first = waitForPicture("first-frame", Image{}, [](const Image& s) {
            return e2e::share(s, moneyBox(), moneyGreen) > 0.05;
        });
        ASSERT_FALSE(HasFailure()) << "the HUD never appeared";
    }

    void press(const std::string& key) {
        ASSERT_EQ(xdotool("key " + key), 0) << "xdotool could not press " << key;
    }

    // Waits for `message` as a whole line of standard output after the lines
    // already matched.
    void expectLine(const std::string& message) {
        const std::size_t next =
            testsupport::waitForLine(*started->process, message, linesSeen, patience);
        EXPECT_NE(next, 0u) << "no line \"" << message << "\" on standard output:\n"
                            << started->process->outSoFar();
        linesSeen = std::max(linesSeen, next);
    }

    // Grabs the window until `holds` is true; on a timeout keeps the last
    // grab and `expected` as images and fails.
    template <typename Check>
    Image waitForPicture(const std::string& step, const Image& expected, Check holds) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        Image screen;
        while (std::chrono::steady_clock::now() < deadline) {
            screen = e2e::grabWindow(started->window);
            if (!screen.empty() && holds(screen)) {
                return screen;
            }
            std::this_thread::sleep_for(200ms);
        }
        const std::filesystem::path folder = failureFolder();
        e2e::savePng(screen, folder / (step + "-actual.png"));
        e2e::savePng(expected, folder / (step + "-expected.png"));
        ADD_FAILURE() << "the picture never showed " << step << "; images in " << folder;
        return screen;
    }

    static std::filesystem::path failureFolder() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        return std::filesystem::path(testsupport::e2eFailuresDir()) / info->name();
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

    std::unique_ptr<StartedGame> started;
    std::size_t linesSeen = 0;
    Image first;
};

} // namespace

TEST_F(Player, TheHudShowsAndEveryKeyPrintsItsMessageAndChangesThePicture) {
    // The HUD's lines where the layout puts them, in their colours.
    EXPECT_GT(e2e::share(first, moneyBox(), moneyGreen), 0.15) << "no money";
    EXPECT_GT(e2e::share(first, titleBox(), white), 0.05) << "no order";
    // The order clock runs, and stops while the game is paused.
    const Rect clock = clockBox();
    const auto clockMoved = [&](const Image& from) {
        return [&, from](const Image& s) { return e2e::shareDiffering(from, s, clock, 30) > 0.02; };
    };
    waitForPicture("clock-running", first, clockMoved(first));
    press("F1");
    expectLine("game paused");

    // Paused and in god mode nothing moves: the world waits, the free camera
    // stays put and the cook is not stepped (his gravity step follows the
    // frame time, which jitters the orbiting camera). Each change is the key's.
    press("g");
    expectLine("GodMode on");
    const Image base = settle("still-scene");
    const Image paused = settle("still-paused"); // seconds of paused frames later
    EXPECT_LT(e2e::shareDiffering(base, paused, clock, 30), 0.005) << "the clock runs on";
    const Rect whole = base.whole();
    const auto differs = [](const Image& a, const Image& b, Rect r) {
        return e2e::shareDiffering(a, b, r, 6);
    };
    const auto backToBase = [&](const Image& s) { return differs(base, s, whole) < 0.005; };
    const auto changedScene = [&](double atLeast) {
        return [&, atLeast](const Image& s) { return differs(base, s, sceneArea()) > atLeast; };
    };

    press("F3");
    expectLine("GL_POLYGON_MODE set to GL_LINE");
    waitForPicture("wireframe", base, [&](const Image& s) {
        return e2e::share(s, whole, isClearColour) > e2e::share(base, whole, isClearColour) + 0.2;
    });
    press("F3");
    expectLine("GL_POLYGON_MODE set to GL_FILL");
    waitForPicture("filled", base, backToBase);

    press("x");
    expectLine("Mini Map on");
    // New pixels in the inset, the rest of the window as before.
    waitForPicture("mini-map", base, [&](const Image& s) {
        const Rect inset = miniMapInset();
        const double insetArea = double(inset.width) * inset.height;
        const double wholeArea = double(whole.width) * whole.height;
        const double changedInset = differs(base, s, inset) * insetArea;
        const double changedOutside = differs(base, s, whole) * wholeArea - changedInset;
        return changedInset > 0.3 * insetArea && changedOutside < 0.005 * (wholeArea - insetArea);
    });
    press("x");
    expectLine("Mini Map off");
    waitForPicture("mini-map-off", base, backToBase);

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

    // Without blending each glyph's whole quad is painted in the text colour.
    press("F9");
    expectLine("blending off");
    waitForPicture("no-blending", base, [&](const Image& s) {
        return e2e::share(s, titleBox(), white) > e2e::share(base, titleBox(), white) + 0.2;
    });
    press("F9");
    expectLine("blending on");
    waitForPicture("blending", base, backToBase);

    // Texture filtering and mipmapping leave the terrain drawn differently
    // after a whole cycle: the game's start filtering is none of the cycle's.
    for (const auto& [key, message] : {std::pair{"F4", "TexQuality GL_LINEAR"},
                                       {"F4", "TexQuality GL_NEAREST"},
                                       {"F4", "default setting"},
                                       {"F5", "MipMapping GL_LINEAR_MIPMAP_LINEAR"},
                                       {"F5", "MipMapping GL_NEAREST_MIPMAP_NEAREST"},
                                       {"F5", "no MipMapping"}}) {
        press(key);
        expectLine(message);
    }
    waitForPicture("texture-filtering", base, changedScene(0.02));
    const Image filtered = settle("filtered");

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
    const Image flown = settle("flown");

    // Resumed, the clock runs on while the free camera stays put.
    press("F1");
    expectLine("game resumed");
    waitForPicture("clock-resumed", flown, clockMoved(flown));
    press("g");
    expectLine("GodMode off");

    press("Escape");
    const auto result = started->process->wait(patience);
    EXPECT_FALSE(result.timedOut) << "Escape did not end the game";
    EXPECT_FALSE(result.signaled);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("GL ERROR DETECTED!!!"), std::string::npos) << result.err;
    EXPECT_EQ(testsupport::lines(result.out).size(), linesSeen) << "unexpected lines:\n"
                                                                << result.out;
}

namespace {

// The cook seen from behind and above: sky at the top, ground at the bottom
// and his coat low in the middle. From under the terrain there is neither
// sky nor cook.
bool cookSeenFromAbove(const Image& s) {
    const int w = s.width;
    const int h = s.height;
    const double sky = e2e::share(s, {0, h / 20, w, h / 10}, [](const std::uint8_t* p) {
        return p[2] > p[1] + 15 && p[2] > p[0] + 15;
    });
    const double ground =
        e2e::share(s, {0, h * 7 / 8, w, h / 8}, [](const std::uint8_t* p) { return p[1] >= p[2]; });
    // His coat and hat: grey under the moon, where the ground is green or brown.
    const double coat =
        e2e::share(s, {w * 2 / 5, h * 5 / 8, w / 5, h / 4}, [](const std::uint8_t* p) {
            const int lowest = std::min({p[0], p[1], p[2]});
            const int highest = std::max({p[0], p[1], p[2]});
            return lowest > 55 && highest - lowest < 14;
        });
    return sky > 0.5 && ground > 0.5 && coat > 0.1;
}

} // namespace

// A full-screen mode the monitor lacks gives the screen's own size; the
// picture used to fill only the requested corner of it.
TEST(BigWindow, AFullScreenModeTheMonitorLacksFillsTheScreen) {
    StartedGame game({"1024", "768", "1", "144"});
    ASSERT_NE(game.window, 0u) << "the game window never appeared";
    const auto [w, h] = game.x11.size(game.window);
    ASSERT_GT(w * h, 1024 * 768) << "this test needs a screen larger than 1024 x 768";
    Image screen;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < deadline && !cookSeenFromAbove(screen)) {
        std::this_thread::sleep_for(500ms);
        screen = e2e::grabWindow(game.window);
    }
    EXPECT_TRUE(cookSeenFromAbove(screen)) << "the cook is not in the middle of the screen";
    // Above the requested 768 rows, the scene, not the clear colour.
    EXPECT_LT(e2e::share(screen, {0, 0, w, h - 768}, isClearColour), 0.05);
}
