#pragma once

namespace pizzeria::render {

// The GL error gate, a test mode. With PIZZERIA_GL_ERROR_GATE=1 in the
// environment the game asks for a debug context, and the first error the
// driver reports through KHR_debug ends it: "ERROR: OpenGL: " and the
// driver's text on standard error, exit code 1. A context without KHR_debug
// ends it as well, since the gate could not hold.
bool glErrorGateWanted();

// Before the window is made: asks for a debug context when the gate is wanted.
void hintGlErrorGate();

// Once the context is current and GL is loaded: installs the gate when it is
// wanted.
void startGlErrorGate();

// Sends every error and undefined-behaviour message the current context's
// driver reports to `onError`, from inside the call that caused it. False
// where the context has no debug output (no KHR_debug).
using GlErrorHandler = void (*)(const char* message);
bool installGlErrorGate(GlErrorHandler onError);

} // namespace pizzeria::render
