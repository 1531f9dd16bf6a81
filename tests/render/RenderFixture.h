// A real GL context and a folder holding the game's shaders, so renderer
// tests build every program and target as the game does, plus small readers
// of the GL state the passes leave behind.
#pragma once

#include "app/GameSettings.h"
#include "render/Renderer.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace rendertest {

// The window size the document's examples use.
constexpr int windowWidth = 1200;
constexpr int windowHeight = 800;

// A hidden window with a current context. Xvfb under load now and then
// refuses a new client, so a few tries keep the tests from flaking.
inline std::unique_ptr<testsupport::GlContext> openContext(int width, int height) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto context = std::make_unique<testsupport::GlContext>(width, height);
        if (context->ok()) {
            return context;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return nullptr;
}

class RenderFixture : public testing::Test {
protected:
    void SetUp() override {
        pizzeria::app::gameSettings = pizzeria::app::GameSettings{};
        context = openContext(windowWidth, windowHeight);
        ASSERT_TRUE(context) << "needs a display; tools/test.sh starts Xvfb";
        std::filesystem::copy(std::filesystem::path(PIZZERIA_RUN_DIR) / "Shader",
                              folder.path() / "Shader");
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
        // As Game::init leaves it.
        glEnable(GL_DEPTH_TEST);
        glViewport(0, 0, windowWidth, windowHeight);
    }
    void TearDown() override {
        if (!previous.empty()) {
            std::filesystem::current_path(previous);
        }
        pizzeria::app::gameSettings = pizzeria::app::GameSettings{};
    }

    std::unique_ptr<testsupport::GlContext> context;
    testsupport::TempDir folder;
    std::filesystem::path previous;
};

inline GLint integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

inline GLuint boundFramebuffer() {
    return GLuint(integer(GL_DRAW_FRAMEBUFFER_BINDING));
}
inline GLuint currentProgram() {
    return GLuint(integer(GL_CURRENT_PROGRAM));
}
inline int activeUnit() {
    return integer(GL_ACTIVE_TEXTURE) - GL_TEXTURE0;
}

inline std::array<GLint, 4> viewport() {
    std::array<GLint, 4> value{};
    glGetIntegerv(GL_VIEWPORT, value.data());
    return value;
}

// The 2D texture bound on `unit`; the active unit is left as it was.
inline GLuint textureOn(int unit) {
    const GLint active = integer(GL_ACTIVE_TEXTURE);
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    const GLuint texture = GLuint(integer(GL_TEXTURE_BINDING_2D));
    glActiveTexture(GLenum(active));
    return texture;
}

inline GLint uniformLocation(GLuint program, const std::string& name) {
    return glGetUniformLocation(program, name.c_str());
}

inline glm::mat4 uniformMat4(GLuint program, const std::string& name) {
    glm::mat4 value(-7.0f);
    glGetUniformfv(program, uniformLocation(program, name), &value[0][0]);
    return value;
}

inline glm::vec4 uniformVec4(GLuint program, const std::string& name) {
    glm::vec4 value(-7.0f);
    glGetUniformfv(program, uniformLocation(program, name), &value[0]);
    return value;
}

inline glm::vec3 uniformVec3(GLuint program, const std::string& name) {
    glm::vec3 value(-7.0f);
    glGetUniformfv(program, uniformLocation(program, name), &value[0]);
    return value;
}

inline float uniformFloat(GLuint program, const std::string& name) {
    float value = -7.0f;
    glGetUniformfv(program, uniformLocation(program, name), &value);
    return value;
}

inline GLint uniformInt(GLuint program, const std::string& name) {
    GLint value = -7;
    glGetUniformiv(program, uniformLocation(program, name), &value);
    return value;
}

// Element-wise comparison with a message naming the first difference.
inline testing::AssertionResult matricesNear(const glm::mat4& actual, const glm::mat4& expected,
                                             float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            if (!(std::abs(actual[c][r] - expected[c][r]) <= tolerance)) {
                return testing::AssertionFailure()
                       << "element (" << c << "," << r << ") is " << actual[c][r] << ", expected "
                       << expected[c][r];
            }
        }
    }
    return testing::AssertionSuccess();
}

} // namespace rendertest
