#pragma once

#include <cmath>

namespace pizzeria::scene {

constexpr float pi = 3.14159265f;
constexpr float twoPi = 6.2831855f;

// `angle` brought into [0, 2pi).
inline float wrapAngle(float angle) {
    const float wrapped = angle - std::floor(angle / twoPi) * twoPi;
    // Rounding can land exactly on 2pi for tiny negative angles.
    return wrapped >= twoPi ? 0.0f : wrapped;
}

} // namespace pizzeria::scene
