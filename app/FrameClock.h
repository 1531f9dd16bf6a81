#pragma once

namespace pizzeria::app {

// Turns the real time of each frame into whole world steps of one fixed
// length, so that every rule counted in steps means the same in seconds at
// any frame rate. Frames too slow to catch up with slow the world down
// instead of making it jump.
class FrameClock {
public:
    static constexpr double step = 1.0 / 60.0;  // seconds of world time per step
    static constexpr int maxStepsPerFrame = 20; // below 3 frames a second the world slows

    // Adds one frame's real time and returns how many steps the world takes
    // now; time short of a whole step is kept for the next frame.
    int advance(double frameSeconds);

    // How far real time has gone into the next step, from 0 to 1: the share
    // of the last step a frame drawn now shows.
    double share() const;

    // Real time not stepped yet. It starts with one step, so that the first
    // frame, however short, is drawn with the world placed.
    double pending = step;
};

} // namespace pizzeria::app
