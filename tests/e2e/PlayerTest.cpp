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

// Where the HUD's lines lie for this window size: the text's left end and
// baseline from the layout, the box its capitals fill in the game's font.
int fontSize() {
    return int(height * 0.15);
}

Rect hudBox(std::size_t characters, double left, double baselineFromBottom, double scale) {
    const double em = fontSize() * scale;
    return {int(left), int(height - baselineFromBottom - 0.75 * em), int(characters * 0.6 * em),
            int(0.75 * em)};
}

Rect moneyBox() { // "$50"
    return hudBox(3, width / 2 - 3 * 0.5 * fontSize() * 0.6 * 0.65, height - fontSize() * 0.6, 0.6);
}

Rect clockBox() { // "29.99" and shorter, aligned right
    return hudBox(5, width - 5 * fontSize() * 0.3 * 0.68, height - fontSize() * 0.4, 0.3);
}

Rect livesBox() { // "lifes: 3"
    return hudBox(8, width - 8 * fontSize() * 0.2 * 0.7, height - fontSize() * 0.7, 0.2);
}

Rect titleBox() { // "next Pizza:"
    return hudBox(11, fontSize() * 0.13, height - fontSize() * 0.35, 0.25);
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

double shareClearColour(const Image& image) {
    return e2e::share(image, image.whole(), isClearColour);
}

// The mini-map's inset, at the bottom left.
Rect miniMapInset() {
    return {10, height - 10 - height / 4, width / 4, height / 4};
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
            std::vector<std::string>{testsupport::gameExe(), std::to_string(width),
                                     std::to_string(height)},
            testsupport::runDir(), options);
        window = x11.waitForWindow("Pizzeria", game->processId(), patience);
        ASSERT_NE(window, 0u) << "the game window never appeared";
        ASSERT_EQ(xdotool("windowfocus --sync " + std::to_string(window)), 0)
            << "could not focus the game window";
        first = waitForPicture("first-frame", Image{}, [](const Image& s) {
            return e2e::share(s, moneyBox(), moneyGreen) > 0.05;
        });
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
        return std::filesystem::path(testsupport::e2eFailuresDir()) / info->name();
    }

    void keepImages(const std::string& step, const Image& actual, const Image& expected) {
        const std::filesystem::path folder = failureFolder();
        e2e::savePng(actual, folder / (step + "-actual.png"));
        e2e::savePng(expected, folder / (step + "-expected.png"));
        std::cout << "kept images of " << step << " in " << folder << std::endl;
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

TEST_F(Player, TheHudShowsAndEveryKeyPrintsItsMessageAndChangesThePicture) {
    // The HUD's lines where the layout puts them, in their colours.
    EXPECT_GT(e2e::share(first, moneyBox(), moneyGreen), 0.15) << "no money";
    EXPECT_GT(e2e::share(first, livesBox(), white), 0.025) << "no lives";
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
    const auto result = game->wait(patience);
    EXPECT_FALSE(result.timedOut) << "Escape did not end the game";
    EXPECT_FALSE(result.signaled);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("GL ERROR DETECTED!!!"), std::string::npos) << result.err;
    const char* software = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (software != nullptr && std::string(software) == "1") {
        EXPECT_NE(result.out.find("is a software rasteriser"), std::string::npos) << result.out;
    }
    EXPECT_EQ(testsupport::lines(result.out).size(), linesSeen) << "unexpected lines:\n"
                                                                << result.out;
}

namespace {

// The game started with `arguments`, its window found and focused.
struct StartedGame {
    testsupport::X11Windows x11;
    std::unique_ptr<testsupport::ChildProcess> process;
    unsigned long window = 0;

    explicit StartedGame(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{testsupport::gameExe()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        process = std::make_unique<testsupport::ChildProcess>(argv, testsupport::runDir());
        window = x11.waitForWindow("Pizzeria", process->processId(), patience);
        if (window != 0) {
            std::system(
                ("xdotool windowfocus --sync " + std::to_string(window) + " >/dev/null 2>&1")
                    .c_str());
        }
    }
    ~StartedGame() {
        std::system("xdotool keyup w key Escape >/dev/null 2>&1");
        process->wait(30s);
    }
};

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

// At the default size the software renderer takes about a third of a second
// a frame: the long frames used to sink the cook and the camera into the
// ground. Walking ahead for half a minute (into the border), he stays in
// view from above.
TEST(BigWindow, TheCookIsSeenFromAboveWhileHeWalksOnSlowFrames) {
    StartedGame game({"1200", "800"});
    ASSERT_NE(game.window, 0u) << "the game window never appeared";
    const auto deadline = std::chrono::steady_clock::now() + patience;
    Image screen;
    while (std::chrono::steady_clock::now() < deadline && !cookSeenFromAbove(screen)) {
        std::this_thread::sleep_for(500ms);
        screen = e2e::grabWindow(game.window);
    }
    ASSERT_TRUE(cookSeenFromAbove(screen)) << "the first frames never showed the cook";
    ASSERT_EQ(std::system("xdotool keydown w >/dev/null 2>&1"), 0);
    int grabs = 0;
    for (const auto end = std::chrono::steady_clock::now() + 30s;
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(2s)) {
        screen = e2e::grabWindow(game.window);
        if (!cookSeenFromAbove(screen)) {
            e2e::savePng(screen,
                         std::filesystem::path(testsupport::e2eFailuresDir()) / "walk-lost.png");
            FAIL() << "lost sight of the cook after " << grabs << " grabs";
        }
        ++grabs;
    }
}

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
