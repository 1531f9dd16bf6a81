// Shader programs built from files, with a real GL context: the failures the
// damaged-file fuzzer does not try (each shader missing, empty or a directory
// is one of its cases). The game's own programs build in every renderer test,
// which a program that fails to link would end.
#include "tests/render/RenderFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

using pizzeria::render::Renderer;
using testing::HasSubstr;

namespace {

const char* const vertexSource = R"(#version 330 core
layout (location = 0) in vec3 aPos;
out vec3 colour;
void main() { colour = aPos; gl_Position = vec4(aPos, 1.0); }
)";

const char* const fragmentSource = R"(#version 330 core
in vec3 colour;
out vec4 FragColor;
uniform float onlyInFirst;
void main() { FragColor = vec4(colour * onlyInFirst, 1.0); }
)";

// In a folder holding a copy of the game's shaders, so the renderer builds as
// in the game and tests can add files of their own.
class ShaderPrograms : public rendertest::RenderFixture {
protected:
    void SetUp() override {
        // Each death test starts afresh in a new process with its own context.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        RenderFixture::SetUp();
    }

    void writeShader(const std::string& file, const std::string& source) {
        std::ofstream(folder.path() / "Shader" / file) << source;
    }
};

} // namespace

// Both files missing names the vertex file; a compile error prints the
// compiler's log; a pass no program was loaded for ends the game too.
TEST_F(ShaderPrograms, BadFilesAndUnknownPassesEndTheGameSayingWhy) {
    writeShader("broken.vert", vertexSource);
    writeShader("broken.frag", "#version 330 core\nvoid main() { undeclaredThing = 1.0; }\n");
    Renderer renderer(320, 240);
    EXPECT_EXIT(renderer.loadShader("absent"), testing::ExitedWithCode(1),
                HasSubstr("ERROR: shaderFile isn't good: Shader/absent.vert\n"));
    EXPECT_EXIT(renderer.loadShader("broken"), testing::ExitedWithCode(1),
                testing::ContainsRegex("ERROR: Failed to compile shader.\n.*undeclaredThing"));
    EXPECT_EXIT(renderer.useShader("nope"), testing::ExitedWithCode(1),
                HasSubstr("ERROR: Could not find shader: nope\n"));
}

TEST_F(ShaderPrograms, LoadingANameTwiceKeepsTheFirstProgram) {
    writeShader("twice.vert", vertexSource);
    writeShader("twice.frag", fragmentSource);
    Renderer renderer(320, 240);
    renderer.loadShader("twice");
    const GLuint first = renderer.useShader("twice")->program;

    writeShader("twice.frag", "#version 330 core\nin vec3 colour;\nout vec4 FragColor;\n"
                              "void main() { FragColor = vec4(colour, 1.0); }\n");
    renderer.loadShader("twice");

    const GLuint kept = renderer.useShader("twice")->program;
    EXPECT_EQ(kept, first);
    EXPECT_NE(glGetUniformLocation(kept, "onlyInFirst"), -1);
}
