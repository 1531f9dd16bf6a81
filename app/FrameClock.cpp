#include "app/FrameClock.h"

#include <algorithm>
#include <cmath>

namespace pizzeria::app {

int FrameClock::advance(double frameSeconds) {
    // A clock that went backwards or a NaN adds nothing.
    if (frameSeconds > 0.0) {
        pending += frameSeconds;
    }
    // The tolerance keeps a frame of exactly n steps from rounding down to n - 1.
    const double due = std::floor(pending / step + 1e-6);
    if (due >= double(maxStepsPerFrame)) {
        pending = 0.0; // the backlog is dropped: the world slows down
        return maxStepsPerFrame;
    }
    pending = std::max(0.0, pending - due * step);
    return int(due);
}

double FrameClock::share() const {
    return std::clamp(pending / step, 0.0, 1.0);
}

} // namespace pizzeria::app
