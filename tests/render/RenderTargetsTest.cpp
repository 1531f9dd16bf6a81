// The renderer's offscreen targets, its construction order side effects and
// the occlusion kernel and noise, with a real GL context.
#include "tests/render/RenderFixture.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <vector>

using namespace rendertest;
using pizzeria::app::gameSettings;
using pizzeria::render::Renderer;

namespace {

struct TextureCase {
    const char* name;
    GLuint Renderer::*texture;
    int width; // 0: the window's size
    int height;
    GLint internalFormat;
    GLint filter;
    GLint wrap;
};

GLint textureLevel(GLuint texture, GLenum what) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
}

GLint textureParameter(GLuint texture, GLenum what) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
    return value;
}

GLint attachment(GLuint framebuffer, GLenum point, GLenum what) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, point, what, &value);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return value;
}

class RenderTargets : public RenderFixture, public testing::WithParamInterface<TextureCase> {};

} // namespace

TEST_P(RenderTargets, HaveTheirSizeFormatAndSampling) {
    const TextureCase& c = GetParam();
    Renderer renderer(windowWidth, windowHeight);
    const GLuint texture = renderer.*c.texture;
    ASSERT_NE(texture, 0u);
    ASSERT_EQ(glIsTexture(texture), GL_TRUE);
    EXPECT_EQ(textureLevel(texture, GL_TEXTURE_WIDTH), c.width ? c.width : windowWidth);
    EXPECT_EQ(textureLevel(texture, GL_TEXTURE_HEIGHT), c.height ? c.height : windowHeight);
    EXPECT_EQ(textureLevel(texture, GL_TEXTURE_INTERNAL_FORMAT), c.internalFormat);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), c.filter);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), c.filter);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_S), c.wrap);
    EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_T), c.wrap);
    if (c.wrap == GL_CLAMP_TO_BORDER) {
        float border[4] = {};
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
        EXPECT_THAT(border, testing::ElementsAre(1.0f, 1.0f, 1.0f, 1.0f));
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(
    Table, RenderTargets,
    testing::Values(
        TextureCase{"sceneColor", &Renderer::sceneColorTexture, 0, 0, GL_RGB, GL_LINEAR, GL_REPEAT},
        TextureCase{"shadowDepth", &Renderer::shadowDepthTexture, 5120, 1280, GL_DEPTH_COMPONENT,
                    GL_NEAREST, GL_CLAMP_TO_BORDER},
        TextureCase{"miniMapDepth", &Renderer::miniMapDepthTexture, 256, 256, GL_DEPTH_COMPONENT,
                    GL_NEAREST, GL_CLAMP_TO_BORDER},
        TextureCase{"gPosition", &Renderer::gPosition, 0, 0, GL_RGB16F, GL_NEAREST,
                    GL_CLAMP_TO_EDGE},
        TextureCase{"gNormal", &Renderer::gNormal, 0, 0, GL_RGB16F, GL_NEAREST, GL_REPEAT},
        TextureCase{"gAlbedo", &Renderer::gAlbedo, 0, 0, GL_RGB, GL_NEAREST, GL_REPEAT},
        TextureCase{"ssaoColor", &Renderer::ssaoColorTexture, 0, 0, GL_RED, GL_NEAREST, GL_REPEAT},
        TextureCase{"ssaoBlur", &Renderer::ssaoBlurTexture, 0, 0, GL_RED, GL_NEAREST, GL_REPEAT},
        TextureCase{"noise", &Renderer::noiseTexture, 4, 4, GL_RGB16F, GL_NEAREST, GL_REPEAT}),
    [](const testing::TestParamInfo<TextureCase>& info) { return std::string(info.param.name); });

using RenderTargetWiring = RenderFixture;

TEST_F(RenderTargetWiring, FramebuffersHoldTheirAttachments) {
    Renderer renderer(windowWidth, windowHeight);
    const struct {
        GLuint framebuffer;
        GLenum point;
        GLuint texture;
    } textures[] = {
        {renderer.sceneFramebuffer, GL_COLOR_ATTACHMENT0, renderer.sceneColorTexture},
        {renderer.shadowFramebuffer, GL_DEPTH_ATTACHMENT, renderer.shadowDepthTexture},
        {renderer.miniMapFramebuffer, GL_DEPTH_ATTACHMENT, renderer.miniMapDepthTexture},
        {renderer.gBuffer, GL_COLOR_ATTACHMENT0, renderer.gPosition},
        {renderer.gBuffer, GL_COLOR_ATTACHMENT1, renderer.gNormal},
        {renderer.gBuffer, GL_COLOR_ATTACHMENT2, renderer.gAlbedo},
        {renderer.ssaoFramebuffer, GL_COLOR_ATTACHMENT0, renderer.ssaoColorTexture},
        {renderer.ssaoBlurFramebuffer, GL_COLOR_ATTACHMENT0, renderer.ssaoBlurTexture},
    };
    for (const auto& t : textures) {
        EXPECT_EQ(attachment(t.framebuffer, t.point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
                  GL_TEXTURE);
        EXPECT_EQ(GLuint(attachment(t.framebuffer, t.point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME)),
                  t.texture);
    }

    // Depth renderbuffers: a kept depth-stencil one for the scene, an unkept
    // depth one for the geometry buffer.
    const struct {
        GLuint framebuffer;
        GLenum point;
        GLint format;
    } renderbuffers[] = {
        {renderer.sceneFramebuffer, GL_DEPTH_STENCIL_ATTACHMENT, GL_DEPTH24_STENCIL8},
        {renderer.gBuffer, GL_DEPTH_ATTACHMENT, GL_DEPTH_COMPONENT},
    };
    for (const auto& r : renderbuffers) {
        ASSERT_EQ(attachment(r.framebuffer, r.point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
                  GL_RENDERBUFFER);
        const GLuint name =
            GLuint(attachment(r.framebuffer, r.point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME));
        glBindRenderbuffer(GL_RENDERBUFFER, name);
        GLint format = 0, width = 0, height = 0;
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &format);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &height);
        EXPECT_EQ(format, r.format);
        EXPECT_EQ(width, windowWidth);
        EXPECT_EQ(height, windowHeight);
    }
    EXPECT_EQ(glIsRenderbuffer(renderer.sceneDepthStencil), GL_TRUE);

    // The geometry pass writes all three colour attachments.
    glBindFramebuffer(GL_FRAMEBUFFER, renderer.gBuffer);
    EXPECT_EQ(integer(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(integer(GL_DRAW_BUFFER1), GL_COLOR_ATTACHMENT1);
    EXPECT_EQ(integer(GL_DRAW_BUFFER2), GL_COLOR_ATTACHMENT2);
    // Depth-only targets read and draw no colour.
    for (GLuint depthOnly : {renderer.shadowFramebuffer, renderer.miniMapFramebuffer}) {
        glBindFramebuffer(GL_FRAMEBUFFER, depthOnly);
        EXPECT_EQ(integer(GL_DRAW_BUFFER0), GL_NONE);
        EXPECT_EQ(integer(GL_READ_BUFFER), GL_NONE);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderTargetWiring, RealTargetsAreCompleteAndNothingIsReported) {
    testing::internal::CaptureStdout();
    Renderer renderer(windowWidth, windowHeight);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "");
    for (GLuint framebuffer :
         {renderer.sceneFramebuffer, renderer.shadowFramebuffer, renderer.miniMapFramebuffer,
          renderer.gBuffer, renderer.ssaoFramebuffer, renderer.ssaoBlurFramebuffer}) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE))
            << "framebuffer " << framebuffer;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    // Construction ends on the window's framebuffer, whatever was bound before.
    glBindFramebuffer(GL_FRAMEBUFFER, renderer.gBuffer);
    Renderer second(windowWidth, windowHeight);
    EXPECT_EQ(boundFramebuffer(), 0u);
}

TEST_F(RenderTargetWiring, IncompleteTargetsAreReportedOnStdoutAndConstructionGoesOn) {
    // Empty images make every window-sized target incomplete.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Renderer renderer(0, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "ERROR::FRAMEBUFFER:: Framebuffer is not complete!\n"
                   "Framebuffer not complete!\n"
                   "SSAO Framebuffer not complete!\n"
                   "SSAO Blur Framebuffer not complete!\n");
    EXPECT_EQ(err, "");
    // The fixed-size targets are unaffected, and every program is there.
    glBindFramebuffer(GL_FRAMEBUFFER, renderer.shadowFramebuffer);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_NE(renderer.useShader("renderFBO"), nullptr);
}

TEST_F(RenderTargetWiring, TextProjectionIsUploadedOnceAtConstruction) {
    Renderer renderer(windowWidth, windowHeight);
    const GLuint text = renderer.useShader("text")->program;
    glm::mat4 expected(1.0f);
    expected[0][0] = 2.0f / windowWidth;
    expected[1][1] = 2.0f / windowHeight;
    expected[2][2] = -1.0f;
    expected[3][0] = -1.0f;
    expected[3][1] = -1.0f;
    EXPECT_TRUE(matricesNear(uniformMat4(text, "projection"), expected, 1e-7f));

    // The camera projection never reaches the text program.
    renderer.projection = glm::mat4(3.0f);
    renderer.useShader("text");
    renderer.endPass("text");
    EXPECT_TRUE(matricesNear(uniformMat4(text, "projection"), expected, 1e-7f));
}

TEST_F(RenderTargetWiring, ConstructionLeavesBlendingAsItsTextPassSetsIt) {
    for (bool blending : {true, false}) {
        gameSettings.blendingEnabled = blending;
        glDisable(GL_BLEND);
        Renderer renderer(windowWidth, windowHeight);
        EXPECT_EQ(glIsEnabled(GL_BLEND), blending ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(currentProgram(), renderer.useShader("text")->program);
    }
}

using OcclusionSamples = RenderFixture;

TEST_F(OcclusionSamples, KernelIsAHemisphereCrowdedTowardsTheCentre) {
    for (unsigned seed : {1u, 42u, 20240611u}) {
        std::srand(seed);
        Renderer renderer(windowWidth, windowHeight);
        ASSERT_EQ(renderer.ssaoKernel.size(), 32u);
        for (std::size_t i = 0; i < 32; ++i) {
            const glm::vec3 sample = renderer.ssaoKernel[i];
            const float s = float(i) / 32.0f;
            const float scale = 0.1f + 0.9f * s * s;
            EXPECT_GE(sample.z, 0.0f) << "sample " << i;
            EXPECT_LE(std::abs(sample.x), scale) << "sample " << i;
            EXPECT_LE(std::abs(sample.y), scale) << "sample " << i;
            EXPECT_LT(sample.z, scale) << "sample " << i;
        }
    }
}

TEST_F(OcclusionSamples, SameSeedSameSamplesOtherSeedOthers) {
    std::srand(99);
    Renderer first(windowWidth, windowHeight);
    std::srand(99);
    Renderer again(windowWidth, windowHeight);
    std::srand(100);
    Renderer other(windowWidth, windowHeight);
    EXPECT_EQ(first.ssaoKernel, again.ssaoKernel);
    EXPECT_EQ(first.ssaoNoise, again.ssaoNoise);
    EXPECT_NE(first.ssaoKernel, other.ssaoKernel);
    EXPECT_NE(first.ssaoNoise, other.ssaoNoise);
}

TEST_F(OcclusionSamples, NoiseTextureHoldsTheNoiseRowByRow) {
    Renderer renderer(windowWidth, windowHeight);
    ASSERT_EQ(renderer.ssaoNoise.size(), 16u);
    std::vector<glm::vec3> texels(16, glm::vec3(-9.0f));
    glBindTexture(GL_TEXTURE_2D, renderer.noiseTexture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, texels.data());
    for (std::size_t i = 0; i < 16; ++i) {
        // Half floats keep about three decimal digits.
        EXPECT_NEAR(texels[i].x, renderer.ssaoNoise[i].x, 1e-3f) << "texel " << i;
        EXPECT_NEAR(texels[i].y, renderer.ssaoNoise[i].y, 1e-3f) << "texel " << i;
        EXPECT_EQ(texels[i].z, 0.0f) << "texel " << i;
        EXPECT_GE(renderer.ssaoNoise[i].x, -1.0f);
        EXPECT_LT(renderer.ssaoNoise[i].x, 1.0f);
    }
}
