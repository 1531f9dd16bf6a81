// The per-pass protocol: what each useShader and endPass leaves bound, set
// and uploaded, read back from a real GL context.
#include "tests/render/RenderFixture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <fstream>
#include <vector>

using namespace rendertest;
using pizzeria::app::gameSettings;
using pizzeria::render::Renderer;

namespace {

const std::array<GLint, 4> fullWindow{0, 0, windowWidth, windowHeight};

// The camera at its start: at (0, 2, 5) looking down -z.
void placeCamera(Renderer& renderer) {
    renderer.viewPosition = glm::vec3(0, 2, 5);
    renderer.viewDirection = glm::vec3(0, 0, -1);
    renderer.view = glm::lookAt(glm::vec3(0, 2, 5), glm::vec3(0, 2.3f, 4), glm::vec3(0, 1, 0));
    renderer.projection = glm::perspective(45.0f, 1.5f, 0.1f, 500.0f);
}

glm::mat4 lightMatrixFor(const glm::vec3& eye) {
    return glm::ortho(-100.0f, 100.0f, -40.0f, 10.0f, 50.0f, 400.0f) *
           glm::lookAt(glm::vec3(150, 80, 150), eye, glm::vec3(0, 1, 0));
}

glm::mat4 miniMapMatrix() {
    return glm::ortho(-125.0f, 125.0f, -125.0f, 125.0f, 15.0f, 35.0f) *
           glm::rotate(glm::lookAt(glm::vec3(0, 30, 0), glm::vec3(1, 1, 1), glm::vec3(0, 1, 0)),
                       -2.3561945f, glm::vec3(0, 1, 0));
}

// "nearP" of the placed camera: its direction and its distance from the origin.
const glm::vec4 placedNearP{0, 0, -1, 5.385165f};

void expectVec4Near(const glm::vec4& actual, const glm::vec4& expected) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "component " << i;
    }
}

float depthAt(GLuint framebuffer, int x, int y) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    float depth = -1.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return depth;
}

// Red channel (0..255) of a pixel of the window.
int windowRed(int x, int y) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    unsigned char pixel[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return pixel[0];
}

void fillDepth(GLuint framebuffer, float depth) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearDepth(depth);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void fillColor(GLuint framebuffer, float value) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearColor(value, value, value, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

struct FrameCase {
    const char* name;
    bool shadows;
    bool ssao;
};

class FramePasses : public RenderFixture, public testing::WithParamInterface<FrameCase> {};

} // namespace

// One frame as the game runs it, with nothing drawn between the brackets.
TEST_P(FramePasses, EachStepLeavesTheStateOfItsTable) {
    const FrameCase& frame = GetParam();
    gameSettings.shadowsEnabled = frame.shadows;
    gameSettings.ssaoEnabled = frame.ssao;
    Renderer renderer(windowWidth, windowHeight);
    placeCamera(renderer);
    renderer.useShader("default"); // as Game::init does once
    glActiveTexture(GL_TEXTURE0);
    glViewport(0, 0, windowWidth, windowHeight);

    if (frame.shadows) {
        const GLuint program = renderer.useShader("shadowmap")->program;
        EXPECT_EQ(currentProgram(), program);
        EXPECT_EQ(boundFramebuffer(), renderer.shadowFramebuffer);
        EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 5120, 1280}));
        renderer.endPass("shadowmap");
        EXPECT_EQ(boundFramebuffer(), 0u);
        EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 5120, 1280})) << "left to the mini-map";
    }

    const GLuint miniMap = renderer.useShader("miniMap")->program;
    EXPECT_EQ(currentProgram(), miniMap);
    EXPECT_EQ(boundFramebuffer(), renderer.miniMapFramebuffer);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 256, 256}));
    renderer.endPass("miniMap");
    EXPECT_EQ(boundFramebuffer(), 0u);
    EXPECT_EQ(viewport(), fullWindow);

    const GLuint sceneTarget = frame.ssao ? renderer.sceneFramebuffer : 0u;
    const GLuint lit = renderer.useShader("default")->program;
    EXPECT_EQ(currentProgram(), lit);
    EXPECT_EQ(boundFramebuffer(), sceneTarget);
    EXPECT_EQ(viewport(), fullWindow);
    EXPECT_EQ(uniformFloat(lit, "shadows"), frame.shadows ? 1.0f : 0.0f);
    if (frame.shadows) {
        EXPECT_EQ(activeUnit(), 1);
        EXPECT_EQ(textureOn(1), renderer.shadowDepthTexture);
        EXPECT_EQ(uniformInt(lit, "shadowMap"), 1);
        EXPECT_TRUE(matricesNear(uniformMat4(lit, "lightSpaceMatrix"),
                                 lightMatrixFor(renderer.viewPosition)));
    } else {
        EXPECT_EQ(activeUnit(), 0);
        EXPECT_NE(textureOn(1), renderer.shadowDepthTexture);
        EXPECT_TRUE(matricesNear(uniformMat4(lit, "lightSpaceMatrix"), glm::mat4(0.0f)))
            << "never uploaded with shadows off";
    }

    const GLuint light = renderer.useShader("lighting")->program;
    EXPECT_EQ(currentProgram(), light);
    EXPECT_EQ(boundFramebuffer(), sceneTarget) << "the moon lands where the scene does";
    renderer.endPass("lighting");
    EXPECT_EQ(boundFramebuffer(), 0u);
    renderer.endPass("default");
    EXPECT_EQ(boundFramebuffer(), 0u);
    EXPECT_EQ(currentProgram(), light) << "no debug view was asked for";
    EXPECT_EQ(viewport(), fullWindow);

    if (frame.ssao) {
        renderer.useShader("SSAOGeo");
        EXPECT_EQ(boundFramebuffer(), renderer.gBuffer);
        renderer.endPass("SSAOGeo");
        const GLuint composite = currentProgram();
        EXPECT_EQ(boundFramebuffer(), 0u);
        EXPECT_EQ(viewport(), fullWindow);
        EXPECT_EQ(activeUnit(), 1);
        EXPECT_EQ(textureOn(0), 0u);
        EXPECT_EQ(textureOn(1), 0u);
        EXPECT_EQ(textureOn(2), renderer.noiseTexture);
        EXPECT_EQ(renderer.useShader("viewSpaceShader")->program, composite);
        EXPECT_EQ(uniformInt(composite, "screenTexture"), 0);
        EXPECT_EQ(uniformInt(composite, "ssaoInput"), 1);
        EXPECT_NE(renderer.quadVAO, 0u);

        const GLuint ssao = renderer.useShader("SSAO")->program;
        EXPECT_TRUE(matricesNear(uniformMat4(ssao, "projection"), renderer.projection));
        for (int i = 0; i < 32; ++i) {
            const std::string sample = "samples[" + std::to_string(i) + "]";
            EXPECT_EQ(uniformVec3(ssao, sample), renderer.ssaoKernel[std::size_t(i)]) << sample;
        }
    } else {
        EXPECT_EQ(renderer.quadVAO, 0u) << "nothing drew a quad";
    }

    gameSettings.blendingEnabled = true;
    const GLuint text = renderer.useShader("text")->program;
    EXPECT_EQ(currentProgram(), text);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
    renderer.endPass("text");
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
    renderer.drawMiniMap();
    EXPECT_EQ(currentProgram(), text) << "the mini-map inset is off";
    EXPECT_EQ(boundFramebuffer(), 0u);
    EXPECT_EQ(viewport(), fullWindow);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FramePasses,
    testing::Values(FrameCase{"Plain", false, false}, FrameCase{"Shadows", true, false},
                    FrameCase{"Occlusion", false, true}, FrameCase{"Both", true, true}),
    [](const testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

namespace {

struct EndCase {
    const char* name;
    bool fullViewport;
    int activeUnit;
    bool unit0Bound;
    bool unit1Bound;
    bool blend;
};

class EndPassTable : public RenderFixture, public testing::WithParamInterface<EndCase> {};

} // namespace

TEST_P(EndPassTable, BindsTheWindowThenRunsTheNamedTearDown) {
    const EndCase& end = GetParam();
    Renderer renderer(windowWidth, windowHeight);
    const GLuint first = renderer.gAlbedo;
    const GLuint second = renderer.gNormal;
    glBindFramebuffer(GL_FRAMEBUFFER, renderer.gBuffer);
    glViewport(1, 2, 3, 4);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, second);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, first);
    glEnable(GL_BLEND);

    renderer.endPass(end.name);

    EXPECT_EQ(boundFramebuffer(), 0u);
    EXPECT_EQ(viewport(), end.fullViewport ? fullWindow : (std::array<GLint, 4>{1, 2, 3, 4}));
    EXPECT_EQ(activeUnit(), end.activeUnit);
    EXPECT_EQ(textureOn(0), end.unit0Bound ? first : 0u);
    EXPECT_EQ(textureOn(1), end.unit1Bound ? second : 0u);
    EXPECT_EQ(glIsEnabled(GL_BLEND), end.blend ? GL_TRUE : GL_FALSE);
}

INSTANTIATE_TEST_SUITE_P(Names, EndPassTable,
                         testing::Values(EndCase{"renderFBO", true, 1, true, false, true},
                                         EndCase{"miniMap", true, 0, true, true, true},
                                         EndCase{"viewSpaceShader", false, 1, false, false, true},
                                         EndCase{"text", false, 0, true, true, false},
                                         // No debug flags: the default pass draws no inset.
                                         EndCase{"default", false, 0, true, true, true},
                                         EndCase{"shadowmap", false, 0, true, true, true},
                                         EndCase{"lighting", false, 0, true, true, true},
                                         EndCase{"SSAO", false, 0, true, true, true},
                                         EndCase{"SSAOBlur", false, 0, true, true, true}),
                         [](const testing::TestParamInfo<EndCase>& info) {
                             return std::string(info.param.name);
                         });

namespace {

// Every program replaced by one that declares every camera uniform, so the
// uploads that the game's own programs ignore become visible.
class ProbePrograms : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        const char* vertex = R"(#version 330 core
layout (location = 0) in vec3 aPos;
uniform mat4 view;
uniform mat4 projection;
uniform mat4 lightSpaceMatrix;
uniform vec3 viewPosition;
uniform vec4 nearP;
uniform int culling;
void main() {
    gl_Position = projection * view * lightSpaceMatrix * vec4(aPos + viewPosition, 1.0)
                + nearP * float(culling);
}
)";
        const char* fragment = R"(#version 330 core
out vec4 FragColor;
void main() { FragColor = vec4(1.0); }
)";
        for (const char* name : programs) {
            const auto base = folder.path() / "Shader" / name;
            std::ofstream(base.string() + ".vert") << vertex;
            std::ofstream(base.string() + ".frag") << fragment;
        }
    }

    static constexpr const char* programs[] = {
        "default", "viewSpaceShader", "lighting", "shadowmap", "SSAOGeo",
        "SSAO",    "SSAOBlur",        "miniMap",  "renderFBO", "text"};
};

struct UploadCase {
    const char* name;
    bool view;
    bool projection;
    bool culling;    // also "nearP"
    bool eye;        // "viewPosition"
    int lightMatrix; // 0 none, 1 the light's, 2 the mini-map's
};

class UseShaderUploads : public ProbePrograms, public testing::WithParamInterface<UploadCase> {};

} // namespace

TEST_P(UseShaderUploads, SendEachProgramItsCameraUniforms) {
    const UploadCase& c = GetParam();
    Renderer renderer(windowWidth, windowHeight);
    placeCamera(renderer);
    const GLuint program = renderer.useShader(c.name)->program;
    EXPECT_EQ(currentProgram(), program);

    EXPECT_EQ(matricesNear(uniformMat4(program, "view"), renderer.view), c.view);
    EXPECT_EQ(matricesNear(uniformMat4(program, "projection"), renderer.projection), c.projection);
    EXPECT_EQ(uniformInt(program, "culling"), c.culling ? 1 : 0);
    const glm::vec4 nearP = uniformVec4(program, "nearP");
    EXPECT_EQ(std::abs(nearP.w - placedNearP.w) < 1e-5f && nearP.z == -1.0f, c.culling);
    EXPECT_EQ(uniformVec3(program, "viewPosition") == renderer.viewPosition, c.eye);
    const glm::mat4 light = uniformMat4(program, "lightSpaceMatrix");
    EXPECT_EQ(matricesNear(light, lightMatrixFor(renderer.viewPosition)), c.lightMatrix == 1);
    EXPECT_EQ(matricesNear(light, miniMapMatrix()), c.lightMatrix == 2);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, UseShaderUploads,
    testing::Values(UploadCase{"default", true, true, true, true, 1},
                    UploadCase{"lighting", true, true, false, false, 0},
                    UploadCase{"shadowmap", true, false, false, false, 1},
                    UploadCase{"miniMap", true, false, true, false, 2},
                    UploadCase{"SSAOGeo", true, true, true, false, 0},
                    UploadCase{"SSAO", false, false, false, false, 0},
                    UploadCase{"SSAOBlur", false, false, false, false, 0},
                    UploadCase{"viewSpaceShader", false, false, false, false, 0},
                    UploadCase{"renderFBO", true, false, false, false, 0},
                    UploadCase{"text", true, false, false, false, 0}),
    [](const testing::TestParamInfo<UploadCase>& info) { return std::string(info.param.name); });

TEST_F(ProbePrograms, CullingOffReachesEveryCullingProgramAndNearPStillGoes) {
    Renderer renderer(windowWidth, windowHeight);
    placeCamera(renderer);
    gameSettings.cullingEnabled = false;
    for (const char* name : {"default", "SSAOGeo", "miniMap"}) {
        const GLuint program = renderer.useShader(name)->program;
        EXPECT_EQ(uniformInt(program, "culling"), 0) << name;
        expectVec4Near(uniformVec4(program, "nearP"), placedNearP);
        renderer.endPass("lighting"); // ends nothing else
    }
}

TEST_F(ProbePrograms, ShadowsOffLeaveTheShadowTargetAndMatrixAlone) {
    gameSettings.shadowsEnabled = false;
    Renderer renderer(windowWidth, windowHeight);
    placeCamera(renderer);
    for (const char* name : {"default", "shadowmap"}) {
        glViewport(0, 0, windowWidth, windowHeight);
        const GLuint program = renderer.useShader(name)->program;
        EXPECT_TRUE(matricesNear(uniformMat4(program, "lightSpaceMatrix"), glm::mat4(0.0f)))
            << name;
        EXPECT_EQ(boundFramebuffer(), 0u) << name;
        EXPECT_EQ(viewport(), fullWindow) << name;
    }
}

TEST_F(ProbePrograms, LightMatrixFollowsTheEyeAndTheLightPosition) {
    Renderer renderer(windowWidth, windowHeight);
    placeCamera(renderer);
    for (const glm::vec3& eye : {glm::vec3(0, 2, 5), glm::vec3(-100, 10, 40)}) {
        renderer.viewPosition = eye;
        const GLuint program = renderer.useShader("shadowmap")->program;
        const glm::mat4 light = uniformMat4(program, "lightSpaceMatrix");
        // The eye sits on the light's axis, 0.6 up the frustum (bottom -40, top 10),
        // at its distance from the moon mapped into the 50..400 depth range.
        const glm::vec4 clip = light * glm::vec4(eye, 1.0f);
        const float distance = glm::length(glm::vec3(150, 80, 150) - eye);
        EXPECT_NEAR(clip.x, 0.0f, 1e-4f);
        EXPECT_NEAR(clip.y, 0.6f, 1e-4f);
        EXPECT_NEAR(clip.z, (2.0f * distance - 450.0f) / 350.0f, 1e-4f);
    }
    renderer.lightPosition = glm::vec3(-150, 80, 150);
    const GLuint program = renderer.useShader("default")->program;
    const glm::vec4 clip = uniformMat4(program, "lightSpaceMatrix") * glm::vec4(-100, 10, 40, 1);
    EXPECT_NEAR(clip.x, 0.0f, 1e-4f);
    EXPECT_NEAR(clip.z, (2.0f * glm::length(glm::vec3(-50, 70, 110)) - 450.0f) / 350.0f, 1e-4f);
}

namespace {

struct SwitchStep {
    const char* key; // what the key handler did before this default pass
    bool blinnPhong;
    bool lightingChanged;
    bool shadowsEnabled;
    bool shadowsChanged;
    bool celShading;
    bool celShadingChanged;
    float blinn; // the values the default program holds afterwards
    float shadows;
    float cel;
};

} // namespace

using LightingSwitches = RenderFixture;

TEST_F(LightingSwitches, EachSwitchIsUploadedOncePerChange) {
    // From the start values: "blinn" keeps its link-time 0 until the first B,
    // which turns Blinn-Phong off, so it takes a second B to see Blinn-Phong.
    const SwitchStep steps[] = {
        {"init", true, false, true, true, false, true, 0.0f, 1.0f, 0.0f},
        {"none", true, false, true, false, false, false, 0.0f, 1.0f, 0.0f},
        {"B", false, true, true, false, false, false, 0.0f, 1.0f, 0.0f},
        {"B again", true, true, true, false, false, false, 1.0f, 1.0f, 0.0f},
        {"F7", true, false, false, true, false, false, 1.0f, 0.0f, 0.0f},
        {"F7 again", true, false, true, true, false, false, 1.0f, 1.0f, 0.0f},
        {"F10", true, false, true, false, true, true, 1.0f, 1.0f, 1.0f},
        {"F10 again", true, false, true, false, false, true, 1.0f, 1.0f, 0.0f},
        {"F10 twice in a frame", true, false, true, false, false, true, 1.0f, 1.0f, 0.0f},
    };
    Renderer renderer(windowWidth, windowHeight);
    for (const SwitchStep& step : steps) {
        gameSettings.blinnPhong = step.blinnPhong;
        gameSettings.lightingChanged = step.lightingChanged;
        gameSettings.shadowsEnabled = step.shadowsEnabled;
        gameSettings.shadowsChanged = step.shadowsChanged;
        gameSettings.celShading = step.celShading;
        gameSettings.celShadingChanged = step.celShadingChanged;
        const GLuint lit = renderer.useShader("default")->program;
        EXPECT_EQ(uniformFloat(lit, "blinn"), step.blinn) << step.key;
        EXPECT_EQ(uniformFloat(lit, "shadows"), step.shadows) << step.key;
        EXPECT_EQ(uniformFloat(lit, "celShading"), step.cel) << step.key;
        EXPECT_FALSE(gameSettings.lightingChanged) << step.key;
        EXPECT_FALSE(gameSettings.shadowsChanged) << step.key;
        EXPECT_FALSE(gameSettings.celShadingChanged) << step.key;
        renderer.endPass("default");
    }
}

TEST_F(LightingSwitches, UnchangedSwitchesAreNotUploadedAgain) {
    Renderer renderer(windowWidth, windowHeight);
    const GLuint lit = renderer.useShader("default")->program;
    // Values no upload would ever send: any upload would overwrite them.
    for (const char* name : {"blinn", "shadows", "celShading"}) {
        glUniform1f(uniformLocation(lit, name), 0.5f);
    }
    renderer.useShader("default");
    for (const char* name : {"blinn", "shadows", "celShading"}) {
        EXPECT_EQ(uniformFloat(lit, name), 0.5f) << name;
    }
}

using PassClears = RenderFixture;

TEST_F(PassClears, EachPassClearsItsOwnTarget) {
    gameSettings.ssaoEnabled = true;
    Renderer renderer(windowWidth, windowHeight);
    const struct {
        const char* pass;
        GLuint framebuffer;
        int x, y; // the far corner
    } targets[] = {
        {"shadowmap", renderer.shadowFramebuffer, 5119, 1279},
        {"miniMap", renderer.miniMapFramebuffer, 255, 255},
        {"default", renderer.sceneFramebuffer, windowWidth - 1, windowHeight - 1},
        {"SSAOGeo", renderer.gBuffer, windowWidth - 1, windowHeight - 1},
    };
    for (const auto& target : targets) {
        fillDepth(target.framebuffer, 0.25f);
        renderer.useShader(target.pass);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(depthAt(target.framebuffer, 0, 0), 1.0f) << target.pass;
        EXPECT_EQ(depthAt(target.framebuffer, target.x, target.y), 1.0f) << target.pass;
        renderer.endPass(target.pass);
    }

    // Colour too, for the colour targets: the clear colour replaces a fill.
    for (const auto& target : {targets[2], targets[3]}) {
        fillColor(target.framebuffer, 0.5f);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        renderer.useShader(target.pass);
        unsigned char pixel[4] = {9, 9, 9, 9};
        glReadPixels(7, 7, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        EXPECT_EQ(pixel[0], 0) << target.pass;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
}

using Quad = RenderFixture;

TEST_F(Quad, FirstDepthStaysForGood) {
    Renderer renderer(windowWidth, windowHeight);
    renderer.useShader("renderFBO");
    renderer.drawQuad(-0.5f);
    const GLuint vao = renderer.quadVAO;
    const GLuint vbo = renderer.quadVBO;
    ASSERT_NE(vao, 0u);
    renderer.drawQuad(0.99999f);
    EXPECT_EQ(renderer.quadVAO, vao);
    EXPECT_EQ(renderer.quadVBO, vbo);

    // A later depth changes nothing on screen: the first one, -0.5, is kept.
    glBindFramebuffer(GL_FRAMEBUFFER, renderer.sceneFramebuffer);
    glViewport(0, 0, windowWidth, windowHeight);
    for (float depth : {0.1f, 0.99999f}) {
        glClear(GL_DEPTH_BUFFER_BIT);
        renderer.drawQuad(depth);
        glBindFramebuffer(GL_FRAMEBUFFER, renderer.sceneFramebuffer);
        for (const auto& [x, y] :
             {std::pair{0, 0}, std::pair{windowWidth - 1, windowHeight - 1}, std::pair{600, 400}}) {
            float stored = -1.0f;
            glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &stored);
            EXPECT_NEAR(stored, 0.25f, 1e-5f) << "asked for " << depth;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

namespace {

struct InsetCase {
    const char* name;
    bool shadows;
    bool shadowsDebug;
    bool drawn;
};

class ShadowInset : public RenderFixture, public testing::WithParamInterface<InsetCase> {};

} // namespace

TEST_P(ShadowInset, SitsInTheLowerRightCornerOnlyWithShadowsAndItsFlag) {
    const InsetCase& c = GetParam();
    gameSettings.shadowsEnabled = c.shadows;
    gameSettings.shadowsDebug = c.shadowsDebug;
    Renderer renderer(windowWidth, windowHeight);
    placeCamera(renderer);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    if (c.shadows) {
        renderer.useShader("shadowmap"); // clears the map to the farthest depth: white
        renderer.endPass("shadowmap");
    }
    renderer.useShader("miniMap");
    renderer.endPass("miniMap");
    renderer.useShader("default"); // clears the window
    renderer.endPass("default");

    const int white = c.drawn ? 255 : 0;
    // x 890 to 1189, y 10 to 209 on a 1200 x 800 window.
    EXPECT_EQ(windowRed(890, 10), white);
    EXPECT_EQ(windowRed(1189, 209), white);
    EXPECT_EQ(windowRed(889, 10), 0);
    EXPECT_EQ(windowRed(1190, 10), 0);
    EXPECT_EQ(windowRed(890, 9), 0);
    EXPECT_EQ(windowRed(890, 210), 0);
    EXPECT_EQ(viewport(), fullWindow);
    if (c.drawn) {
        renderer.useShader("renderFBO");
        EXPECT_EQ(textureOn(1), 0u) << "the shadow map leaves unit 1";
    }
}

INSTANTIATE_TEST_SUITE_P(Flags, ShadowInset,
                         testing::Values(InsetCase{"Both", true, true, true},
                                         InsetCase{"NoDebug", true, false, false},
                                         InsetCase{"NoShadows", false, true, false}),
                         [](const testing::TestParamInfo<InsetCase>& info) {
                             return std::string(info.param.name);
                         });

using DebugViews = RenderFixture;

TEST_F(DebugViews, OcclusionViewCoversTheWindowOnlyWhileOcclusionRuns) {
    for (bool ssao : {true, false}) {
        gameSettings.ssaoEnabled = ssao;
        gameSettings.ssaoDebug = true;
        Renderer renderer(windowWidth, windowHeight);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        fillColor(renderer.ssaoBlurFramebuffer, 0.5f);
        renderer.useShader("default");
        renderer.endPass("default");
        // Occlusion 0.5 is shown as it is: mid grey.
        for (const auto& [x, y] :
             {std::pair{0, 0}, std::pair{600, 400}, std::pair{windowWidth - 1, windowHeight - 1}}) {
            EXPECT_NEAR(windowRed(x, y), ssao ? 128 : 0, 1) << "ssao " << ssao;
        }
        EXPECT_EQ(viewport(), fullWindow);
    }
}

TEST_F(DebugViews, MiniMapInsetSitsInTheLowerLeftCornerWhileSwitchedOn) {
    for (bool enabled : {true, false}) {
        gameSettings.miniMapEnabled = enabled;
        glActiveTexture(GL_TEXTURE0);
        Renderer renderer(windowWidth, windowHeight);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.useShader("miniMap"); // nothing drawn: an empty, framed field
        renderer.endPass("miniMap");
        renderer.drawMiniMap();
        // x 10 to 309, y 10 to 209 on a 1200 x 800 window; the window stays black.
        for (const auto& [x, y] : {std::pair{10, 10}, std::pair{309, 209}, std::pair{160, 110}}) {
            EXPECT_EQ(windowRed(x, y) > 0, enabled) << x << "," << y;
        }
        EXPECT_EQ(windowRed(9, 10), 0);
        EXPECT_EQ(windowRed(310, 10), 0);
        EXPECT_EQ(windowRed(10, 9), 0);
        EXPECT_EQ(windowRed(10, 210), 0);
        EXPECT_EQ(viewport(), fullWindow);
        EXPECT_EQ(activeUnit(), enabled ? 1 : 0);
    }
}

// The document leaves the inset open while the occlusion is debugged; it
// keeps showing the map, since the window shows the occlusion already.
TEST_F(DebugViews, MiniMapInsetShowsTheMapAlsoWhileOcclusionIsDebugged) {
    gameSettings.miniMapEnabled = true;
    gameSettings.ssaoEnabled = true;
    int field[2] = {};
    for (bool debug : {false, true}) {
        gameSettings.ssaoDebug = debug;
        Renderer renderer(windowWidth, windowHeight);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        fillColor(renderer.ssaoFramebuffer, 0.5f);
        fillColor(renderer.ssaoBlurFramebuffer, 0.5f);
        renderer.useShader("miniMap");
        renderer.endPass("miniMap");
        renderer.drawMiniMap();
        field[debug] = windowRed(100, 100);
        EXPECT_EQ(windowRed(400, 100), 0);
    }
    EXPECT_GT(field[0], 0);
    EXPECT_EQ(field[1], field[0]) << "not the occlusion's grey";
}
