// A real GL context and a folder holding the game's shaders, so renderer
// tests build every program and target as the game does, plus small readers
// of the GL state the passes leave behind. Any GL error fails the test.
#pragma once

#include "app/GameSettings.h"
#include "render/Renderer.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/GlContext.h"
#include "tests/support/GlErrors.h"
#include "tests/support/Process.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace rendertest {

// The game's default window size.
constexpr int windowWidth = 1200;
constexpr int windowHeight = 800;

class RenderFixture : public testing::Test {
protected:
    void SetUp() override {
        pizzeria::app::gameSettings = pizzeria::app::GameSettings{};
        ASSERT_TRUE(context.ok()) << "needs a display; tools/test.sh starts Xvfb";
        ASSERT_TRUE(testsupport::gateGlErrors()) << "the context offers no KHR_debug";
        std::filesystem::copy(std::filesystem::path(testsupport::runDir()) / "Shader",
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

    testsupport::GlContext context{windowWidth, windowHeight};
    testsupport::TempDir folder;
    std::filesystem::path previous;
};

inline GLuint boundFramebuffer() {
    GLint value = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &value);
    return GLuint(value);
}

inline std::array<GLint, 4> viewport() {
    std::array<GLint, 4> value{};
    glGetIntegerv(GL_VIEWPORT, value.data());
    return value;
}

} // namespace rendertest
