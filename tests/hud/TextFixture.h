// A current context with the game's "text" program set up as the renderer
// leaves it, working in the run folder so the game's font is found.
#pragma once

#include "app/GameSettings.h"
#include "render/Shader.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

class TextFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(context.ok()) << "needs a display; tools/test.sh starts Xvfb";
        const std::string dir = std::string(testsupport::runDir()) + "/Shader/";
        shader = std::make_unique<pizzeria::render::Shader>(dir + "text.vert", dir + "text.frag");
        glUseProgram(shader->program);
        glUniformMatrix4fv(glGetUniformLocation(shader->program, "projection"), 1, GL_FALSE,
                           glm::value_ptr(glm::ortho(0.0f, 1200.0f, 0.0f, 800.0f)));
        std::filesystem::current_path(testsupport::runDir());
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        pizzeria::app::gameSettings = pizzeria::app::GameSettings{};
    }

    testsupport::GlContext context{1200, 800};
    std::unique_ptr<pizzeria::render::Shader> shader;
    const std::filesystem::path previous = std::filesystem::current_path();
};
