// Shader programs built from files, with a real GL context: the game's own
// programs, and the failures the damaged-file fuzzer does not try (each
// shader missing, empty or a directory is one of its cases).
#include "render/Renderer.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using pizzeria::render::Renderer;
using testing::HasSubstr;

namespace {

const char* const gamePrograms[] = {
    "default", "viewSpaceShader", "lighting", "shadowmap", "SSAOGeo",
    "SSAO",    "SSAOBlur",        "miniMap",  "renderFBO", "text"};

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

// Runs each test in a folder holding a copy of the game's shaders, so the
// renderer builds as in the game and tests can add files of their own.
class ShaderPrograms : public testing::Test {
protected:
    void SetUp() override {
        // Each death test starts afresh in a new process with its own context.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ASSERT_TRUE(context.ok()) << "needs a display; tools/test.sh starts Xvfb";
        fs::copy(fs::path(testsupport::runDir()) / "Shader", folder.path() / "Shader");
        previous = fs::current_path();
        fs::current_path(folder.path());
    }
    void TearDown() override {
        if (!previous.empty()) {
            fs::current_path(previous);
        }
    }

    void writeShader(const std::string& file, const std::string& source) {
        std::ofstream(folder.path() / "Shader" / file) << source;
    }

    static GLint linkStatus(GLuint program) {
        GLint status = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &status);
        return status;
    }

    testsupport::GlContext context;
    testsupport::TempDir folder;
    fs::path previous;
};

} // namespace

TEST_F(ShaderPrograms, EveryGameProgramCompilesAndLinks) {
    Renderer renderer(320, 240);
    for (const char* name : gamePrograms) {
        const auto* shader = renderer.useShader(name);
        ASSERT_NE(shader, nullptr) << name;
        EXPECT_EQ(linkStatus(shader->program), GL_TRUE) << name;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(ShaderPrograms, MeshProgramsTakeTheMeshLayout) {
    Renderer renderer(320, 240);
    for (const char* name : {"default", "lighting", "shadowmap", "miniMap", "SSAOGeo"}) {
        const GLuint program = renderer.useShader(name)->program;
        EXPECT_EQ(glGetAttribLocation(program, "aPos"), 0) << name;
        EXPECT_NE(glGetUniformLocation(program, "model"), -1) << name;
    }
    const GLuint lit = renderer.useShader("default")->program;
    for (const char* uniform : {"view", "projection", "viewPosition", "material.diffuseTexture",
                                "globalLight.position", "globalLight.ambient"}) {
        EXPECT_NE(glGetUniformLocation(lit, uniform), -1) << uniform;
    }
    const GLuint ssao = renderer.useShader("SSAO")->program;
    EXPECT_NE(glGetUniformLocation(ssao, "samples[0]"), -1);
    EXPECT_NE(glGetUniformLocation(ssao, "samples[31]"), -1);
}

TEST_F(ShaderPrograms, BothFilesMissingNamesTheVertexFile) {
    Renderer renderer(320, 240);
    EXPECT_EXIT(renderer.loadShader("absent"), testing::ExitedWithCode(1),
                HasSubstr("ERROR: shaderFile isn't good: Shader/absent.vert\n"));
}

TEST_F(ShaderPrograms, CompileErrorPrintsTheCompilerLog) {
    writeShader("broken.vert", vertexSource);
    writeShader("broken.frag", "#version 330 core\nvoid main() { undeclaredThing = 1.0; }\n");
    Renderer renderer(320, 240);
    EXPECT_EXIT(renderer.loadShader("broken"), testing::ExitedWithCode(1),
                testing::ContainsRegex("ERROR: Failed to compile shader.\n.*undeclaredThing"));
}

TEST_F(ShaderPrograms, UnknownPassNameEndsTheGame) {
    Renderer renderer(320, 240);
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
