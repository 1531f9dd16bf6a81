#pragma once

// The GL error gate in a test (render/GlErrorGate.h): every error the driver
// reports fails the running test with the driver's text.
#include "render/GlErrorGate.h"

#include <gtest/gtest.h>

namespace testsupport {

inline void failOnGlError(const char* message) {
    ADD_FAILURE() << "OpenGL error: " << message;
}

// Installs the gate on the current context; false where it has no KHR_debug.
inline bool gateGlErrors() {
    return pizzeria::render::installGlErrorGate(failOnGlError);
}

} // namespace testsupport
