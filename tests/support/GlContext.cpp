#include "tests/support/GlContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <thread>

namespace testsupport {

GlContext::GlContext(int width, int height) {
    // A busy Xvfb now and then refuses a connection or a window: a few tries,
    // a moment apart.
    for (int attempt = 0; attempt < 5 && window == nullptr; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        if (glfwInit() != GLFW_TRUE) {
            continue;
        }
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
        glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        // So that a test can gate GL errors (tests/support/GlErrors.h).
        glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
        window = glfwCreateWindow(width, height, "pizzeria-test", nullptr, nullptr);
    }
    if (window == nullptr) {
        glfwTerminate();
        return;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        glfwDestroyWindow(window);
        glfwTerminate();
        window = nullptr;
        return;
    }
    glGetError(); // GLEW's probing may leave an error behind
}

GlContext::~GlContext() {
    if (window != nullptr) {
        glfwDestroyWindow(window);
        glfwTerminate();
    }
}

} // namespace testsupport
