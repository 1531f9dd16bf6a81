#pragma once

struct GLFWwindow;

namespace testsupport {

// An invisible window with an OpenGL 3.3 core debug context made current,
// for tests that need real GL objects. Needs a display (Xvfb in CI).
class GlContext {
public:
    GlContext(int width = 320, int height = 240);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool ok() const { return window != nullptr; }
    GLFWwindow* window = nullptr;
};

} // namespace testsupport
