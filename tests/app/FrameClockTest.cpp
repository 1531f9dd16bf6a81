// Real frame times turned into whole world steps, and how far a frame drawn
// now lies into the next step.
#include "app/FrameClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using pizzeria::app::FrameClock;

TEST(FrameClock, ASecondIsSixtyStepsAtAnyRateFromThreeFramesASecond) {
    for (const int rate : {3, 10, 30, 60, 75, 144}) {
        FrameClock clock;
        clock.pending = 0.0; // not the first frame's step
        int steps = 0;
        for (int frame = 0; frame < rate; ++frame) {
            steps += clock.advance(1.0 / rate);
        }
        EXPECT_EQ(steps, 60) << rate << " frames a second";
    }
}

TEST(FrameClock, SlowFramesSlowTheWorldAndBadTimesAddNothing) {
    FrameClock clock;
    EXPECT_EQ(clock.advance(2.0), FrameClock::maxStepsPerFrame);
    EXPECT_EQ(clock.advance(1.0 / 60.0), 1) << "the backlog was dropped";
    for (const double bad : {-1.0, 0.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(clock.advance(bad), 0) << bad;
        EXPECT_TRUE(std::isfinite(clock.pending));
    }
}

TEST(FrameClock, TheShareIsHowFarRealTimeIsIntoTheNextStep) {
    FrameClock clock;
    clock.pending = 0.0;
    const double frame = 1.0 / 144.0;
    const double expected[] = {60.0 / 144.0, 120.0 / 144.0, 36.0 / 144.0, 96.0 / 144.0};
    const int steps[] = {0, 0, 1, 0};
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(clock.advance(frame), steps[f]) << "frame " << f;
        EXPECT_NEAR(clock.share(), expected[f], 1e-9) << "frame " << f;
    }
    clock.pending = 5.0; // as after a stall: never beyond the step's end
    EXPECT_EQ(clock.share(), 1.0);
}
