// A fatal error may come while the game is in the middle of a frame; the exit
// must not destroy objects whose code is still running.
#include "app/Console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

// Stands for the game: held process-wide, ending the process from inside one
// of its own calls. Destroying it then would free what that call still uses.
struct Busy {
    ~Busy() {
        if (working) {
            std::cerr << "destroyed while still working" << std::endl;
            std::abort();
        }
    }
    [[noreturn]] void failMidFrame() {
        working = true;
        std::cout << "ERROR: a fatal message" << std::endl;
        pizzeria::app::exitAfterPause(1);
    }
    bool working = false;
};

std::unique_ptr<Busy> holder;

} // namespace

TEST(FatalExit, EndsWithCodeOneWithoutDestroyingTheRunningGame) {
    EXPECT_EXIT(
        {
            holder = std::make_unique<Busy>();
            holder->failMidFrame();
        },
        testing::ExitedWithCode(1), "^$");
}
