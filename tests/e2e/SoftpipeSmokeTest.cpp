// The end-to-end smoke on a second OpenGL implementation: Mesa's softpipe,
// which offers exactly OpenGL 3.3 core, so nothing beyond 3.3 slips into the
// game. It starts, shows its first frame, takes every technique key and
// ends on Escape, with the GL error gate on. Its own X server keeps the
// keyboard focus, so it may run beside other tests.
#include "tests/e2e/Screen.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/PrivateDisplay.h"
#include "tests/support/Process.h"
#include "tests/support/X11Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

namespace {

// softpipe interprets every shader: a second or more a frame.
constexpr auto patience = 180s;

// Each key with the line it prints (none for F2). A line shows only after a
// frame has polled the key, so every state below is drawn at least once.
// Ambient occlusion, the slowest pass, is on for two frames only.
const std::pair<const char*, const char*> kKeys[] = {
    {"F3", "GL_POLYGON_MODE set to GL_LINE"},
    {"F3", "GL_POLYGON_MODE set to GL_FILL"},
    {"j", "shadows debug on"},
    {"x", "Mini Map on"},
    {"F10", "Cel Shading on"},
    {"b", "lighting set to phong"},
    {"F8", "culling off"},
    {"F9", "blending off"},
    {"F4", "TexQuality GL_LINEAR"},
    {"F5", "MipMapping GL_LINEAR_MIPMAP_LINEAR"},
    {"F2", nullptr},
    {"g", "GodMode on"},
    {"F1", "game paused"},
    {"m", "Sound off"},
    {"p", "party Mode on"},
    {"F6", "SSAO on"},
    {"F11", "SSAO debug on"},
    {"F11", "SSAO debug off"},
    {"F6", "SSAO off"},
    {"F7", "shadows off"},
    {"F7", "shadows on"},
};

} // namespace

TEST(Softpipe, StartsTakesEveryTechniqueKeyAndEndsOnEscape) {
    testsupport::PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    setenv("DISPLAY", display.name().c_str(), 1); // for the window grabs
    testsupport::ChildOptions options;
    options.set = {{"GALLIUM_DRIVER", "softpipe"},
                   {"LIBGL_ALWAYS_SOFTWARE", "1"},
                   {"PIZZERIA_GL_ERROR_GATE", "1"}};
    testsupport::ChildProcess game({testsupport::gameExe(), "320", "240"}, testsupport::runDir(),
                                   options);

    testsupport::X11Windows x11(display.name());
    const unsigned long window = x11.waitForWindow("Pizzeria", game.processId(), patience);
    ASSERT_NE(window, 0u) << "the game window never appeared\n" << game.wait(1s).err;
    ASSERT_EQ(testsupport::xdotool(display.name(), "windowfocus --sync " + std::to_string(window)),
              0);
    std::size_t seen = 0;
    const auto expectLine = [&](const std::string& line) {
        const std::size_t next = testsupport::waitForLine(game, line, seen, patience);
        EXPECT_NE(next, 0u) << "no line \"" << line << "\"\n" << game.outSoFar();
        seen = std::max(seen, next);
    };
    expectLine("OpenGL renderer \"softpipe\" is a software rasteriser: expect a low frame rate");

    // The first frame: the moonlit sky over the ground, and the HUD's green
    // money line. A window not drawn yet is black or the clear colour.
    const auto firstFrame = [](const e2e::Image& s) {
        const auto bluish = [](const std::uint8_t* p) { return p[2] > p[0] + 8 && p[2] > 30; };
        const auto earthy = [](const std::uint8_t* p) { return p[1] >= p[2]; };
        const auto green = [](const std::uint8_t* p) {
            return p[1] > p[0] + 40 && p[1] > p[2] + 40;
        };
        return !s.empty() && e2e::share(s, {0, 0, s.width, s.height / 5}, bluish) > 0.5 &&
               e2e::share(s, {0, s.height * 7 / 8, s.width, s.height / 8}, earthy) > 0.5 &&
               e2e::share(s, s.whole(), green) > 0.001;
    };
    e2e::Image first;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!firstFrame(first) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(500ms);
        first = e2e::grabWindow(window);
    }
    EXPECT_TRUE(firstFrame(first)) << "the first frame never showed the scene and the HUD";

    for (const auto& [key, line] : kKeys) {
        ASSERT_EQ(testsupport::xdotool(display.name(), std::string("key ") + key), 0) << key;
        if (line != nullptr) {
            expectLine(line);
        }
    }
    ASSERT_EQ(testsupport::xdotool(display.name(), "key Escape"), 0);
    const testsupport::ProcessResult result = game.wait(patience);
    EXPECT_FALSE(result.timedOut) << "Escape did not end the game";
    EXPECT_FALSE(result.signaled);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
}
