// The game started from its run folder, its frame loop running until the
// window is closed the way a window manager closes it.
#include "tests/support/Process.h"
#include "tests/support/X11Windows.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(FrameLoop, RunsUntilTheWindowIsClosedAndExitsCleanly) {
    testsupport::X11Windows x11;
    ASSERT_TRUE(x11.connected()) << "needs a display; tools/test.sh starts Xvfb";

    testsupport::ChildProcess game({PIZZERIA_EXE, "640", "480"}, PIZZERIA_RUN_DIR);
    const unsigned long window = x11.waitForWindow("Pizzeria", game.processId(), 60s);
    ASSERT_NE(window, 0u) << "the game window never appeared";
    const auto size = x11.size(window);
    EXPECT_EQ(size.first, 640);
    EXPECT_EQ(size.second, 480);

    std::this_thread::sleep_for(1s); // let frames run
    ASSERT_TRUE(game.running()) << "the game ended before it was asked to";
    x11.requestClose(window);
    const auto result = game.wait(30s);

    EXPECT_FALSE(result.timedOut) << "the window's close request did not end the loop";
    EXPECT_FALSE(result.signaled);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("GL ERROR DETECTED!!!"), std::string::npos) << result.err;
}

TEST(FrameLoop, CtrlCEndsTheGame) {
    testsupport::X11Windows x11;
    ASSERT_TRUE(x11.connected()) << "needs a display; tools/test.sh starts Xvfb";

    testsupport::ChildProcess game({PIZZERIA_EXE}, PIZZERIA_RUN_DIR);
    ASSERT_NE(x11.waitForWindow("Pizzeria", game.processId(), 60s), 0u)
        << "the game window never appeared";
    game.interrupt();
    const auto result = game.wait(10s);
    EXPECT_FALSE(result.timedOut) << "the interrupt was swallowed";
}
