// The game started from its run folder, its frame loop running until the
// window is closed the way a window manager closes it.
#include "tests/support/BuildPaths.h"
#include "tests/support/Process.h"
#include "tests/support/X11Windows.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

using namespace std::chrono_literals;

TEST(FrameLoop, RunsUntilTheWindowIsClosedAndExitsCleanly) {
    testsupport::X11Windows x11;
    ASSERT_TRUE(x11.connected()) << "needs a display; tools/test.sh starts Xvfb";

    testsupport::ChildProcess game({testsupport::gameExe(), "640", "480"}, testsupport::runDir());
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

// Ctrl+C, a kill or a closed terminal close the game as Escape does, with a
// line saying why; a second request ends it at once.
TEST(FrameLoop, EndRequestsCloseTheGameAndASecondEndsItAtOnce) {
    testsupport::X11Windows x11;
    ASSERT_TRUE(x11.connected()) << "needs a display; tools/test.sh starts Xvfb";
    const std::pair<int, const char*> requests[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGQUIT, "SIGQUIT"}};
    for (const auto& [signal, name] : requests) {
        SCOPED_TRACE(name);
        testsupport::ChildProcess game({testsupport::gameExe()}, testsupport::runDir());
        ASSERT_NE(x11.waitForWindow("Pizzeria", game.processId(), 60s), 0u)
            << "the game window never appeared";
        game.sendSignal(signal);
        const auto result = game.wait(10s);
        EXPECT_FALSE(result.timedOut) << "the request was swallowed";
        EXPECT_FALSE(result.signaled);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NE(result.out.find(std::string("closing on ") + name + "\n"), std::string::npos)
            << result.out;
    }
    testsupport::ChildProcess game({testsupport::gameExe()}, testsupport::runDir());
    ASSERT_NE(x11.waitForWindow("Pizzeria", game.processId(), 60s), 0u);
    game.sendSignal(SIGSTOP); // both requests arrive before the frame loop sees one
    game.sendSignal(SIGTERM);
    game.sendSignal(SIGHUP); // a second of the same kind would merge with the first
    game.sendSignal(SIGCONT);
    const auto result = game.wait(10s);
    EXPECT_TRUE(result.signaled) << result.out;
}
