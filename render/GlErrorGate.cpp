#include "render/GlErrorGate.h"

#include "app/Console.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace pizzeria::render {

namespace {

GlErrorHandler errorHandler = nullptr;

void GLAPIENTRY onDebugMessage(GLenum /*source*/, GLenum type, GLuint /*id*/, GLenum /*severity*/,
                               GLsizei /*length*/, const GLchar* message,
                               const void* /*userParam*/) {
    // Performance hints and shader-compiler notes are not errors.
    if ((type == GL_DEBUG_TYPE_ERROR || type == GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR) &&
        errorHandler != nullptr) {
        errorHandler(message != nullptr ? message : "");
    }
}

void endOnError(const char* message) {
    std::cerr << "ERROR: OpenGL: " << message << std::endl;
    app::exitAfterPause(1);
}

} // namespace

bool glErrorGateWanted() {
    const char* value = std::getenv("PIZZERIA_GL_ERROR_GATE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

void hintGlErrorGate() {
    if (glErrorGateWanted()) {
        glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    }
}

void startGlErrorGate() {
    if (glErrorGateWanted() && !installGlErrorGate(endOnError)) {
        std::cerr << "ERROR: OpenGL: the GL error gate needs KHR_debug, which this context lacks"
                  << std::endl;
        app::exitAfterPause(1);
    }
}

bool installGlErrorGate(GlErrorHandler onError) {
    if (!GLEW_KHR_debug || glDebugMessageCallback == nullptr) {
        return false;
    }
    errorHandler = onError;
    // Synchronous, so the message arrives inside the offending call.
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(onDebugMessage, nullptr);
    return true;
}

} // namespace pizzeria::render
