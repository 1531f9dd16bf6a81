// The per-pass protocol: what each useShader and endPass leaves bound for the
// next pass, the shadow-map inset and the offscreen targets, read back from a
// real GL context.
#include "tests/render/RenderFixture.h"

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

        if (on) {
            renderer.useShader("shadowmap");
            EXPECT_EQ(boundFramebuffer(), renderer.shadowFramebuffer);
            EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 5120, 1280}));
            renderer.endPass("shadowmap");
            EXPECT_EQ(boundFramebuffer(), 0u);
        }

        renderer.useShader("miniMap");
        EXPECT_EQ(boundFramebuffer(), renderer.miniMapFramebuffer);
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
            EXPECT_EQ(boundFramebuffer(), renderer.gBuffer);
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
        renderer.useShader(target.pass);
        EXPECT_EQ(depthAt(target.framebuffer, 0, 0), 1.0f) << target.pass;
        EXPECT_EQ(depthAt(target.framebuffer, target.x, target.y), 1.0f) << target.pass;
        if (target.colour) {
            EXPECT_EQ(redAt(7, 7, target.framebuffer), 0) << target.pass;
        }
        renderer.endPass(target.pass);
    }
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
