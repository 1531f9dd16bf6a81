// The per-pass protocol: what each useShader and endPass leaves bound for the
// next pass, the shadow-map inset and the offscreen targets, read back from a
// real GL context.
#include "tests/render/RenderFixture.h"

#include <glm/gtc/matrix_transform.hpp>

#include <string>

using namespace rendertest;
using pizzeria::app::gameSettings;
using pizzeria::render::Renderer;

namespace {

const std::array<GLint, 4> fullWindow{0, 0, windowWidth, windowHeight};

float depthAt(GLuint framebuffer, int x, int y) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    float depth = -1.0f;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return depth;
}

// Red channel (0..255) of a pixel of `framebuffer`.
int redAt(int x, int y, GLuint framebuffer = 0) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    unsigned char pixel[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return pixel[0];
}

void fill(GLuint framebuffer, float value) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glClearColor(value, value, value, 1.0f);
    glClearDepth(value);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

using FramePasses = RenderFixture;

} // namespace

// One frame as the game runs it: each pass draws into its own target at its
// own size and hands the window back at full size to the next.
TEST_F(FramePasses, EachPassBindsItsTargetAndHandsTheWindowBack) {
    for (const bool on : {false, true}) { // shadows and occlusion
        SCOPED_TRACE(on ? "shadows and occlusion" : "neither");
        gameSettings.shadowsEnabled = gameSettings.ssaoEnabled = on;
        Renderer renderer(windowWidth, windowHeight);

        // Which target each pass binds: RenderTargets.AreCompleteAndEachPassClearsItsOwn.
        if (on) {
            renderer.useShader("shadowmap");
            EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 5120, 1280}));
            renderer.endPass("shadowmap");
            EXPECT_EQ(boundFramebuffer(), 0u);
        }

        renderer.useShader("miniMap");
        EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 256, 256}));
        renderer.endPass("miniMap");
        EXPECT_EQ(boundFramebuffer(), 0u);
        EXPECT_EQ(viewport(), fullWindow);

        const GLuint sceneTarget = on ? renderer.sceneFramebuffer : 0u;
        renderer.useShader("default");
        EXPECT_EQ(boundFramebuffer(), sceneTarget);
        EXPECT_EQ(viewport(), fullWindow);
        renderer.useShader("lighting");
        EXPECT_EQ(boundFramebuffer(), sceneTarget) << "the moon lands where the scene does";
        renderer.endPass("lighting");
        renderer.endPass("default");
        EXPECT_EQ(boundFramebuffer(), 0u);
        EXPECT_EQ(viewport(), fullWindow);

        if (on) {
            renderer.useShader("SSAOGeo");
            renderer.endPass("SSAOGeo");
            EXPECT_EQ(boundFramebuffer(), 0u);
            EXPECT_EQ(viewport(), fullWindow);
        }

        // Blending is for the text alone; left on it would blend the next frame.
        gameSettings.blendingEnabled = true;
        renderer.useShader("text");
        EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
        renderer.endPass("text");
        EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
        renderer.drawMiniMap();
        EXPECT_EQ(boundFramebuffer(), 0u);
        EXPECT_EQ(viewport(), fullWindow);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

using RenderTargets = RenderFixture;

// A target that is not cleared keeps last frame's depth and hides this frame.
TEST_F(RenderTargets, AreCompleteAndEachPassClearsItsOwn) {
    gameSettings.ssaoEnabled = true;
    testing::internal::CaptureStdout();
    Renderer renderer(windowWidth, windowHeight);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "no target reported incomplete";
    for (GLuint framebuffer :
         {renderer.sceneFramebuffer, renderer.shadowFramebuffer, renderer.miniMapFramebuffer,
          renderer.gBuffer, renderer.ssaoFramebuffer, renderer.ssaoBlurFramebuffer}) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE))
            << "framebuffer " << framebuffer;
    }
    Renderer second(windowWidth, windowHeight); // built with the last target still bound
    EXPECT_EQ(boundFramebuffer(), 0u);

    // A target the driver cannot make ends the game at start, not later in
    // GL errors. The death test reruns this test alone, so it may build.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    GLuint empty = 0;
    glGenFramebuffers(1, &empty);
    glBindFramebuffer(GL_FRAMEBUFFER, empty);
    EXPECT_EXIT(
        pizzeria::render::requireCompleteFramebuffer("SSAO Framebuffer not complete!", 640, 480),
        testing::ExitedWithCode(1),
        "^ERROR: The driver could not make the render targets for a 640 x 480 window.\n$");
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &empty);

    const struct {
        const char* pass;
        GLuint framebuffer;
        int x, y; // the far corner
        bool colour;
    } targets[] = {
        {"shadowmap", renderer.shadowFramebuffer, 5119, 1279, false},
        {"miniMap", renderer.miniMapFramebuffer, 255, 255, false},
        {"default", renderer.sceneFramebuffer, windowWidth - 1, windowHeight - 1, true},
        {"SSAOGeo", renderer.gBuffer, windowWidth - 1, windowHeight - 1, true},
    };
    for (const auto& target : targets) {
        fill(target.framebuffer, 0.25f);
        // The shadow pass clears (and draws) only the part of the map that
        // lookups from what the camera sees can reach.
        const Renderer::Rect region = renderer.shadowMapRegion();
        const bool shadow = target.framebuffer == renderer.shadowFramebuffer;
        const int x0 = shadow ? region.x : 0;
        const int y0 = shadow ? region.y : 0;
        const int x1 = shadow ? region.x + region.width - 1 : target.x;
        const int y1 = shadow ? region.y + region.height - 1 : target.y;
        renderer.useShader(target.pass);
        EXPECT_EQ(depthAt(target.framebuffer, x0, y0), 1.0f) << target.pass;
        EXPECT_EQ(depthAt(target.framebuffer, x1, y1), 1.0f) << target.pass;
        if (target.colour) {
            EXPECT_EQ(redAt(7, 7, target.framebuffer), 0) << target.pass;
        }
        renderer.endPass(target.pass);
    }
}

// What the camera sees of the receivers' box, and so the part of the map its
// lookups reach, is drawn; the rest is not even cleared. While the debug view
// shows the map, all of it is.
TEST_F(RenderTargets, TheShadowPassCoversWhatTheCameraSeesOrAllForTheDebugView) {
    gameSettings.shadowsEnabled = true;
    Renderer renderer(windowWidth, windowHeight);
    renderer.receiversMin = glm::vec3(-125.0f, -1.0f, -125.0f);
    renderer.receiversMax = glm::vec3(125.0f, 20.0f, 125.0f);
    const glm::vec3 eye(0.0f, 6.0f, 0.0f);
    const glm::vec3 ahead(-40.0f, 0.0f, -40.0f); // away from the moon
    renderer.viewPosition = eye;
    renderer.view = glm::lookAt(eye, ahead, glm::vec3(0, 1, 0));
    renderer.projection = glm::perspective(glm::radians(45.0f), 1.5f, 0.1f, 500.0f);
    const glm::mat4 light = renderer.lightSpaceMatrix();
    const auto texel = [&](const glm::vec3& world) {
        const glm::vec4 p = light * glm::vec4(world, 1.0f);
        return glm::ivec2(int((p.x * 0.5f + 0.5f) * 5120), int((p.y * 0.5f + 0.5f) * 1280));
    };
    const auto inside = [](const Renderer::Rect& r, glm::ivec2 t) {
        return t.x >= r.x && t.x < r.x + r.width && t.y >= r.y && t.y < r.y + r.height;
    };
    const Renderer::Rect region = renderer.shadowMapRegion();
    const auto seen = [&](const glm::vec3& world) {
        const glm::vec4 p = renderer.projection * renderer.view * glm::vec4(world, 1.0f);
        return glm::all(glm::lessThan(glm::abs(glm::vec3(p)), glm::vec3(p.w)));
    };
    const Renderer::Rect map{0, 0, 5120, 1280};
    // Ground and a hilltop the camera sees on the map (the map reaches only
    // some 30 units beyond the eye, away from the moon), and ground behind it.
    for (const glm::vec3& visible :
         {glm::vec3(-15.0f, 0.0f, -15.0f), glm::vec3(-8.0f, 0.0f, -18.0f),
          glm::vec3(-14.0f, 8.0f, -10.0f)}) {
        ASSERT_TRUE(seen(visible) && inside(map, texel(visible))) << visible.x << ", " << visible.z;
        EXPECT_TRUE(inside(region, texel(visible))) << visible.x << ", " << visible.z;
    }
    ASSERT_FALSE(seen(glm::vec3(20.0f, 0.0f, 20.0f)));
    EXPECT_FALSE(inside(region, texel(glm::vec3(20.0f, 0.0f, 20.0f))));
    EXPECT_LT(region.width * region.height, 5120 * 1280 * 3 / 4) << "most of the map is spared";

    fill(renderer.shadowFramebuffer, 0.25f);
    renderer.useShader("shadowmap");
    renderer.endPass("shadowmap");
    const glm::ivec2 behind = texel(glm::vec3(20.0f, 0.0f, 20.0f));
    EXPECT_NEAR(depthAt(renderer.shadowFramebuffer, behind.x, behind.y), 0.25f, 1e-4f)
        << "left alone";

    gameSettings.shadowsDebug = true;
    const Renderer::Rect whole = renderer.shadowMapRegion();
    EXPECT_EQ(whole.width * whole.height, 5120 * 1280);
    renderer.useShader("shadowmap");
    renderer.endPass("shadowmap");
    EXPECT_EQ(depthAt(renderer.shadowFramebuffer, behind.x, behind.y), 1.0f);
    EXPECT_EQ(depthAt(renderer.shadowFramebuffer, 5119, 0), 1.0f);
}

using DebugViews = RenderFixture;

TEST_F(DebugViews, ShadowMapInsetSitsInTheLowerRightCornerOnlyWithShadowsAndItsFlag) {
    for (const auto& [shadows, debug] : {std::pair{true, true}, {true, false}, {false, true}}) {
        gameSettings.shadowsEnabled = shadows;
        gameSettings.shadowsDebug = debug;
        Renderer renderer(windowWidth, windowHeight);
        if (shadows) {
            renderer.useShader("shadowmap"); // clears the map to the farthest depth: white
            renderer.endPass("shadowmap");
        }
        renderer.useShader("miniMap");
        renderer.endPass("miniMap");
        renderer.useShader("default"); // clears the window
        renderer.endPass("default");
        const int inside = shadows && debug ? 255 : 0;
        EXPECT_EQ(redAt(890, 10), inside) << shadows << debug;
        EXPECT_EQ(redAt(1189, 209), inside) << shadows << debug;
        for (const auto& [x, y] : {std::pair{889, 10}, {1190, 10}, {890, 9}, {890, 210}}) {
            EXPECT_EQ(redAt(x, y), 0) << x << "," << y;
        }
        EXPECT_EQ(viewport(), fullWindow);
    }
}
