#include "render/Renderer.h"

#include "app/Console.h"
#include "app/GameSettings.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

namespace pizzeria::render {

namespace {

// Every depth the game hands to drawQuad, except the composite's.
constexpr float quadDepth = 0.1f;
// The composite asks for the far end, but the quad exists by then (see drawQuad).
constexpr float compositeDepth = 0.99999f;

bool uploadsView(const std::string& name) {
    return name != "viewSpaceShader" && name != "SSAO" && name != "SSAOBlur";
}

bool uploadsProjection(const std::string& name) {
    return name == "default" || name == "lighting" || name == "SSAOGeo";
}

bool uploadsCulling(const std::string& name) {
    return name == "default" || name == "SSAOGeo" || name == "miniMap";
}

// Passes that draw depth maps or text, never the wireframe view of the scene.
bool drawsFilled(const std::string& name) {
    return name == "shadowmap" || name == "miniMap" || name == "text";
}

GLint location(const Shader& shader, const char* name) {
    return glGetUniformLocation(shader.program, name);
}

void setMat4(const Shader& shader, const char* name, const glm::mat4& value) {
    glUniformMatrix4fv(location(shader, name), 1, GL_FALSE, glm::value_ptr(value));
}

void setVec3(const Shader& shader, const char* name, const glm::vec3& value) {
    glUniform3fv(location(shader, name), 1, glm::value_ptr(value));
}

void setFloat(const Shader& shader, const char* name, float value) {
    glUniform1f(location(shader, name), value);
}

void setInt(const Shader& shader, const char* name, int value) {
    glUniform1i(location(shader, name), value);
}

// A value in [0, 1) from the one random source. Scaling by RAND_MAX + 1
// instead of a fixed 32768 keeps it in range where rand() is 31 bits wide.
float unitRandom() {
    return float(double(std::rand()) / (double(RAND_MAX) + 1.0));
}

// The texel formats of the window-sized targets, made at start and remade on a resize.
struct TexelFormat {
    GLint internalFormat;
    GLenum format;
    GLenum type;
};
constexpr TexelFormat colorFormat{GL_RGB, GL_RGB, GL_UNSIGNED_BYTE};
constexpr TexelFormat vectorFormat{GL_RGB16F, GL_RGB, GL_FLOAT}; // positions and normals
constexpr TexelFormat occlusionFormat{GL_RED, GL_RED, GL_FLOAT};
constexpr GLenum sceneDepthFormat = GL_DEPTH24_STENCIL8;
constexpr GLenum geometryDepthFormat = GL_DEPTH_COMPONENT;

void allocate(GLuint texture, const TexelFormat& texel, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, texel.internalFormat, width, height, 0, texel.format, texel.type,
                 nullptr);
}

void allocate(GLuint renderbuffer, GLenum format, int width, int height) {
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
}

// A 2D texture with no data and nearest sampling, attached as colour `index`.
GLuint attachColorTexture(int index, const TexelFormat& texel, int width, int height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    allocate(texture, texel, width, height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GLenum(GL_COLOR_ATTACHMENT0 + index), GL_TEXTURE_2D,
                           texture, 0);
    return texture;
}

// A depth-only target as the shadow map and the mini-map use it: outside the
// map a lookup reads the farthest depth.
void createDepthTarget(GLuint& framebuffer, GLuint& texture, int width, int height) {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, width, height, 0, GL_DEPTH_COMPONENT,
                 GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    const float border[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);

    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, texture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

} // namespace

void requireCompleteFramebuffer(const char* message, int width, int height) {
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        return;
    }
    std::cout << message << std::endl;
    std::cerr << "ERROR: The driver could not make the render targets for a " << width << " x "
              << height << " window." << std::endl;
    app::exitAfterPause(1);
}

Renderer::Renderer(int width_, int height_) : width(width_), height(height_) {
    createSceneFramebuffer();
    for (const char* name : {"default", "viewSpaceShader", "lighting", "shadowmap"}) {
        loadShader(name);
    }
    createShadowFramebuffer();
    for (const char* name : {"SSAOGeo", "SSAO", "SSAOBlur"}) {
        loadShader(name);
    }
    bindSsaoSamplerUnits();
    createSsaoFramebuffers();
    generateSsaoKernel();
    generateSsaoNoise();
    createBlurSampler();
    loadShader("miniMap");
    createMiniMapFramebuffer();
    createMapMarks();
    loadShader("renderFBO");
    loadShader("text");
    setTextProjection();
}

// The text program's projection changes only with the window, so it is set
// only then.
void Renderer::setTextProjection() {
    const glm::mat4 textProjection =
        glm::ortho(0.0f, float(width), 0.0f, float(height), -1.0f, 1.0f);
    const Shader& text = *shaders.at("text");
    glUseProgram(text.program);
    setMat4(text, "projection", textProjection);
}

void Renderer::resize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    allocateWindowTargets();
    setTextProjection();
}

void Renderer::allocateWindowTargets() {
    allocate(sceneColorTexture, colorFormat, width, height);
    allocate(sceneDepthStencil, sceneDepthFormat, width, height);
    allocate(gPosition, vectorFormat, width, height);
    allocate(gNormal, vectorFormat, width, height);
    allocate(gAlbedo, colorFormat, width, height);
    allocate(gDepth, geometryDepthFormat, width, height);
    allocate(ssaoColorTexture, occlusionFormat, width, height);
    allocate(ssaoBlurTexture, occlusionFormat, width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

Renderer::Rect Renderer::miniMapInset(int windowWidth, int windowHeight) {
    return {10, 10, windowWidth / 4, windowHeight / 4};
}

void Renderer::loadShader(const std::string& name) {
    auto shader = std::make_unique<Shader>("Shader/" + name + ".vert", "Shader/" + name + ".frag");
    // emplace keeps the first program under a name; the new one dies here.
    shaders.emplace(name, std::move(shader));
}

Shader* Renderer::useShader(const std::string& name) {
    const auto found = shaders.find(name);
    if (found == shaders.end()) {
        std::cerr << "ERROR: Could not find shader: " << name << std::endl;
        app::exitAfterPause(1);
    }
    Shader& shader = *found->second;
    app::GameSettings& settings = app::gameSettings;
    glUseProgram(shader.program);
    if (drawsFilled(name)) {
        passPolygonMode = beginFilled();
    }

    if (name == "text") {
        // The HUD lies over the world, whatever the world put in the depth buffer.
        glDisable(GL_DEPTH_TEST);
        if (settings.blendingEnabled) {
            glEnable(GL_BLEND);
        }
    }
    if (name == "SSAOGeo") {
        glBindFramebuffer(GL_FRAMEBUFFER, gBuffer);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    if (uploadsView(name)) {
        setMat4(shader, "view", view);
    }
    if (uploadsProjection(name)) {
        setMat4(shader, "projection", projection);
    }
    if (name == "default") {
        if (settings.ssaoEnabled) {
            glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        setVec3(shader, "viewPosition", viewPosition);
        // A program keeps its uniforms, so each switch goes up once per change.
        if (settings.lightingChanged) {
            setFloat(shader, "blinn", settings.blinnPhong ? 1.0f : 0.0f);
            settings.lightingChanged = false;
        }
        if (settings.shadowsChanged) {
            setFloat(shader, "shadows", settings.shadowsEnabled ? 1.0f : 0.0f);
            settings.shadowsChanged = false;
        }
        if (settings.celShadingChanged) {
            setFloat(shader, "celShading", settings.celShading ? 1.0f : 0.0f);
            settings.celShadingChanged = false;
        }
    }
    if (settings.shadowsEnabled && (name == "default" || name == "shadowmap")) {
        setMat4(shader, "lightSpaceMatrix", lightSpaceMatrix());
        if (name == "default") {
            glActiveTexture(GL_TEXTURE1);
            setInt(shader, "shadowMap", 1);
            glBindTexture(GL_TEXTURE_2D, shadowDepthTexture);
            // Compared and filtered by the sampler; the texture itself stays
            // nearest and plain for the debug view.
            glBindSampler(1, shadowSampler);
            useShadowRegion(shader);
        } else {
            glViewport(0, 0, shadowWidth, shadowHeight);
            glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
            // Most of the map lies behind or beside the camera: depth there
            // is never looked up, so it is neither cleared nor drawn.
            shadowRegion = shadowMapRegion();
            glEnable(GL_SCISSOR_TEST);
            glScissor(shadowRegion.x, shadowRegion.y, shadowRegion.width, shadowRegion.height);
            glClear(GL_DEPTH_BUFFER_BIT);
        }
    }
    if (name == "miniMap") {
        setMat4(shader, "lightSpaceMatrix", miniMapMatrix());
        glViewport(0, 0, miniMapWidth, miniMapHeight);
        glBindFramebuffer(GL_FRAMEBUFFER, miniMapFramebuffer);
        const GLfloat noMark[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        glClearBufferfv(GL_COLOR, 0, noMark); // the window's clear colour stays
        glClear(GL_DEPTH_BUFFER_BIT);
    }
    if (name == "viewSpaceShader") {
        glActiveTexture(GL_TEXTURE0);
        setInt(shader, "screenTexture", 0);
        glBindTexture(GL_TEXTURE_2D, sceneColorTexture);
        glActiveTexture(GL_TEXTURE1);
        setInt(shader, "ssaoInput", 1);
        glBindTexture(GL_TEXTURE_2D, ssaoBlurTexture);
    }
    if (uploadsCulling(name)) {
        setInt(shader, "culling", settings.cullingEnabled ? 1 : 0);
        // The viewing direction as a plane normal, the eye's distance from
        // the origin as its constant term.
        glUniform4f(location(shader, "nearP"), viewDirection.x, viewDirection.y, viewDirection.z,
                    glm::length(viewPosition));
    }
    return &shader;
}

void Renderer::endPass(const std::string& name) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (name == "shadowmap") {
        glDisable(GL_SCISSOR_TEST);
    }
    if (drawsFilled(name)) {
        endFilled(passPolygonMode);
    }
    if (name == "default") {
        glBindSampler(1, 0);
        shadowDebugView();
        if (app::gameSettings.ssaoDebug) {
            ssaoDebugView();
        }
    } else if (name == "renderFBO") {
        glViewport(0, 0, width, height);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, 0);
    } else if (name == "miniMap") {
        // The shadow pass left its own viewport; the default pass needs the window's.
        glViewport(0, 0, width, height);
    } else if (name == "viewSpaceShader") {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, 0);
    } else if (name == "SSAOGeo") {
        ssaoPass();
        ssaoBlurPass();
        compositePass();
    } else if (name == "text") {
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }
}

void Renderer::drawQuad(float depth) {
    if (quadVAO == 0) {
        const float vertices[] = {
            -1.0f, 1.0f,  depth, 0.0f, 1.0f, // top left
            -1.0f, -1.0f, depth, 0.0f, 0.0f, // bottom left
            1.0f,  1.0f,  depth, 1.0f, 1.0f, // top right
            1.0f,  -1.0f, depth, 1.0f, 0.0f, // bottom right
        };
        glGenVertexArrays(1, &quadVAO);
        glGenBuffers(1, &quadVBO);
        glBindVertexArray(quadVAO);
        glBindBuffer(GL_ARRAY_BUFFER, quadVBO);
        glBufferData(GL_ARRAY_BUFFER, sizeof(vertices), vertices, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 5 * sizeof(float), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 5 * sizeof(float),
                              reinterpret_cast<void*>(3 * sizeof(float)));
    }
    const GLint mode = beginFilled();
    glBindVertexArray(quadVAO);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    endFilled(mode);
}

GLint Renderer::beginFilled() {
    // The core profile has one mode for both faces, but the query may write two values.
    GLint mode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    return mode[0];
}

void Renderer::endFilled(GLint mode) {
    glPolygonMode(GL_FRONT_AND_BACK, GLenum(mode));
}

void Renderer::drawMiniMap() {
    if (!app::gameSettings.miniMapEnabled) {
        return;
    }
    const Shader& shader = *useShader("renderFBO");
    const Rect inset = miniMapInset(width, height);
    glViewport(inset.x, inset.y, inset.width, inset.height);
    // Always the map's own depth, also while the occlusion is debugged: the
    // full-window view shows the occlusion already. The marks go on unit 1.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, miniMapColorTexture);
    setInt(shader, "mapMarks", 1);
    drawDepthInset(shader, miniMapDepthTexture, InsetSource::MiniMap);
}

glm::mat4 Renderer::lightSpaceMatrix() const {
    const glm::mat4 lightProjection =
        glm::ortho(-100.0f, 100.0f, -40.0f, 10.0f, lightNearPlane, lightFarPlane);
    const glm::mat4 lightView = glm::lookAt(lightPosition, viewPosition, glm::vec3(0, 1, 0));
    return lightProjection * lightView;
}

namespace {

// The part of a convex polygon on the side of `plane` (xyz normal, w offset)
// where the plane's value is not negative.
std::vector<glm::vec3> clipPolygon(const std::vector<glm::vec3>& polygon, const glm::vec4& plane) {
    std::vector<glm::vec3> kept;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const glm::vec3& a = polygon[i];
        const glm::vec3& b = polygon[(i + 1) % polygon.size()];
        const float da = glm::dot(glm::vec3(plane), a) + plane.w;
        const float db = glm::dot(glm::vec3(plane), b) + plane.w;
        if (da >= 0.0f) {
            kept.push_back(a);
        }
        if ((da >= 0.0f) != (db >= 0.0f)) {
            kept.push_back(a + (b - a) * (da / (da - db)));
        }
    }
    return kept;
}

} // namespace

Renderer::Rect Renderer::shadowMapRegion() const {
    const Rect whole{0, 0, shadowWidth, shadowHeight};
    const bool eyeInside = glm::all(glm::greaterThanEqual(viewPosition, receiversMin)) &&
                           glm::all(glm::lessThanEqual(viewPosition, receiversMax));
    if (app::gameSettings.shadowsDebug || !eyeInside) {
        return whole;
    }
    // The camera's frustum cut to the receivers' box: its faces clipped by
    // the box's planes, and the box's corners inside the frustum.
    const glm::mat4 cameraMatrix = projection * view;
    const glm::mat4 toWorld = glm::inverse(cameraMatrix);
    glm::vec3 corner[8];
    for (int i = 0; i < 8; ++i) {
        const glm::vec4 p = toWorld * glm::vec4(i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f,
                                                i & 4 ? 1.0f : -1.0f, 1.0f);
        corner[i] = glm::vec3(p) / p.w;
    }
    const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    const glm::vec4 boxPlanes[6] = {{1, 0, 0, -receiversMin.x}, {-1, 0, 0, receiversMax.x},
                                    {0, 1, 0, -receiversMin.y}, {0, -1, 0, receiversMax.y},
                                    {0, 0, 1, -receiversMin.z}, {0, 0, -1, receiversMax.z}};
    std::vector<glm::vec3> points;
    for (const auto& face : faces) {
        std::vector<glm::vec3> polygon{corner[face[0]], corner[face[1]], corner[face[2]],
                                       corner[face[3]]};
        for (const glm::vec4& plane : boxPlanes) {
            polygon = clipPolygon(polygon, plane);
        }
        points.insert(points.end(), polygon.begin(), polygon.end());
    }
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 p(i & 1 ? receiversMax.x : receiversMin.x,
                          i & 2 ? receiversMax.y : receiversMin.y,
                          i & 4 ? receiversMax.z : receiversMin.z);
        const glm::vec4 clip = cameraMatrix * glm::vec4(p, 1.0f);
        if (glm::all(glm::lessThanEqual(glm::abs(glm::vec3(clip)), glm::vec3(clip.w)))) {
            points.push_back(p);
        }
    }
    if (points.empty()) {
        return {0, 0, 0, 0};
    }
    const glm::mat4 light = lightSpaceMatrix();
    glm::vec2 low(1.0f);
    glm::vec2 high(-1.0f);
    for (const glm::vec3& p : points) {
        const glm::vec2 onMap = glm::vec2(light * glm::vec4(p, 1.0f));
        low = glm::min(low, onMap);
        high = glm::max(high, onMap);
    }
    // The lookup's filter reaches two texels out and its normal offset one
    // more; a few to spare.
    constexpr int margin = 6;
    const auto texel = [](float ndc, int size) {
        return int(std::floor((ndc * 0.5f + 0.5f) * float(size)));
    };
    const int x0 = std::clamp(texel(low.x, shadowWidth) - margin, 0, shadowWidth);
    const int y0 = std::clamp(texel(low.y, shadowHeight) - margin, 0, shadowHeight);
    const int x1 = std::clamp(texel(high.x, shadowWidth) + margin + 1, 0, shadowWidth);
    const int y1 = std::clamp(texel(high.y, shadowHeight) + margin + 1, 0, shadowHeight);
    return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

ViewVolume Renderer::cameraVolume() const {
    return {projection * view, glm::vec2(-1.0f), glm::vec2(1.0f), viewPosition};
}

void Renderer::useShadowRegion(const Shader& shader) const {
    // Lookups reach this many texels past the point looked up (the filter
    // two, the normal offset one): points closer to the region's edge would
    // read depth left from older frames.
    constexpr float reach = 3.0f;
    const glm::vec2 size{float(shadowWidth), float(shadowHeight)};
    const glm::vec2 low = (glm::vec2(shadowRegion.x, shadowRegion.y) + reach) / size;
    const glm::vec2 high =
        (glm::vec2(shadowRegion.x + shadowRegion.width, shadowRegion.y + shadowRegion.height) -
         reach) /
        size;
    glUniform4f(location(shader, "shadowRegion"), low.x, low.y, high.x, high.y);
}

ViewVolume Renderer::shadowVolume() const {
    const glm::vec2 size{float(shadowWidth), float(shadowHeight)};
    const glm::vec2 low = glm::vec2(shadowRegion.x, shadowRegion.y) / size * 2.0f - 1.0f;
    const glm::vec2 high =
        glm::vec2(shadowRegion.x + shadowRegion.width, shadowRegion.y + shadowRegion.height) /
            size * 2.0f -
        1.0f;
    return {lightSpaceMatrix(), low, high, lightPosition};
}

glm::mat4 Renderer::miniMapMatrix() {
    const float half = miniMapHalfWidth;
    const glm::mat4 mapProjection = glm::ortho(-half, half, -half, half, 15.0f, 35.0f);
    const glm::mat4 mapView =
        glm::lookAt(glm::vec3(0, 30, 0), glm::vec3(1, 1, 1), glm::vec3(0, 1, 0));
    // -135 degrees about the vertical turns the terrain square to the inset's axes.
    return mapProjection * glm::rotate(mapView, -2.3561945f, glm::vec3(0, 1, 0));
}

void Renderer::createSceneFramebuffer() {
    glGenFramebuffers(1, &sceneFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, sceneFramebuffer);

    glGenTextures(1, &sceneColorTexture);
    allocate(sceneColorTexture, colorFormat, width, height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneColorTexture,
                           0);

    glGenRenderbuffers(1, &sceneDepthStencil);
    allocate(sceneDepthStencil, sceneDepthFormat, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              sceneDepthStencil);

    requireCompleteFramebuffer("ERROR::FRAMEBUFFER:: Framebuffer is not complete!", width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Renderer::createShadowFramebuffer() {
    createDepthTarget(shadowFramebuffer, shadowDepthTexture, shadowWidth, shadowHeight);
    // The lit pass's view of the map: each fetch compares four texels with
    // the receiver's depth and blends the results bilinearly.
    glGenSamplers(1, &shadowSampler);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    const float border[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glSamplerParameterfv(shadowSampler, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glSamplerParameteri(shadowSampler, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    // A shadow sampler must never share unit 0 with the models' colour
    // sampler, not even in frames before shadows are first switched on.
    const Shader& lit = *shaders.at("default");
    glUseProgram(lit.program);
    setInt(lit, "shadowMap", 1);
}

void Renderer::createMiniMapFramebuffer() {
    createDepthTarget(miniMapFramebuffer, miniMapDepthTexture, miniMapWidth, miniMapHeight);
    // Beside the depth, the marks in colour; outside them alpha 0 lets the
    // depth view show through.
    glGenTextures(1, &miniMapColorTexture);
    glBindTexture(GL_TEXTURE_2D, miniMapColorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, miniMapWidth, miniMapHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindFramebuffer(GL_FRAMEBUFFER, miniMapFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, miniMapColorTexture,
                           0);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    requireCompleteFramebuffer("ERROR::FRAMEBUFFER:: Mini-map framebuffer is not complete!", width,
                               height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

namespace {

constexpr int discSegments = 16;
constexpr GLsizei discVertices = discSegments * 3;
constexpr GLsizei arrowVertices = 3;

struct MarkLook {
    glm::vec3 color;
    float size; // disc radius, or the arrow's length from its middle to its tip
};

// A unit of the terrain is under a pixel of the inset at 800 x 600: marks are
// several units across to be read there.

MarkLook markLook(MapMark mark) {
    switch (mark) {
    case MapMark::Cook:
        return {{1.0f, 0.92f, 0.25f}, 11.0f};
    case MapMark::Wanted:
        return {{0.25f, 1.0f, 0.35f}, 5.5f};
    case MapMark::Other:
        return {{0.45f, 0.72f, 1.0f}, 4.0f};
    case MapMark::Enemy:
        break;
    }
    return {{1.0f, 0.18f, 0.18f}, 5.5f};
}

// Marks lie flat above everything on the terrain (at most 8 high, a jump
// adds 4), within the map's depth band: a cook in mid-air or on a hilltop
// keeps his.
constexpr float markHeight = 13.0f;

// The inset's frame covers up to this many units of the map's edge.
constexpr float markFrameMargin = 4.0f;

} // namespace

void Renderer::createMapMarks() {
    std::vector<glm::vec3> vertices;
    for (int i = 0; i < discSegments; ++i) {
        const float a = glm::two_pi<float>() * float(i) / float(discSegments);
        const float b = glm::two_pi<float>() * float(i + 1) / float(discSegments);
        vertices.insert(vertices.end(), {glm::vec3(0.0f), glm::vec3(std::sin(a), 0.0f, std::cos(a)),
                                         glm::vec3(std::sin(b), 0.0f, std::cos(b))});
    }
    // A long triangle pointing along +z, the way the cook walks.
    vertices.insert(vertices.end(), {glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(-0.5f, 0.0f, -0.6f),
                                     glm::vec3(0.5f, 0.0f, -0.6f)});
    glGenVertexArrays(1, &mapMarkVAO);
    glGenBuffers(1, &mapMarkVBO);
    glBindVertexArray(mapMarkVAO);
    glBindBuffer(GL_ARRAY_BUFFER, mapMarkVBO);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(glm::vec3)), vertices.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(glm::vec3), nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void Renderer::useMapColor(const Shader& shader, MapMark mark) const {
    const glm::vec3 color = markLook(mark).color;
    glUniform4f(location(shader, "markColor"), color.r, color.g, color.b, 1.0f);
}

void Renderer::drawMapMark(const Shader& shader, MapMark mark, const glm::vec3& position,
                           float heading) const {
    const bool arrow = mark == MapMark::Cook;
    // With culling on the map shows what lies ahead of the camera; the
    // object's own place decides, and the cook is always shown.
    if (!arrow && app::gameSettings.cullingEnabled &&
        glm::dot(position - viewPosition, viewDirection) < 0.0f) {
        return;
    }
    const MarkLook look = markLook(mark);
    glm::vec3 place(position.x, markHeight, position.z);
    if (arrow) {
        place = insideMap(place, look.size + markFrameMargin);
    }
    const glm::mat4 model =
        glm::scale(glm::rotate(glm::translate(glm::mat4(1.0f), place), arrow ? heading : 0.0f,
                               glm::vec3(0.0f, 1.0f, 0.0f)),
                   glm::vec3(look.size));
    useMapColor(shader, mark);
    setMat4(shader, "model", model);
    setInt(shader, "culling", 0);
    // Colour only: the depth keeps the objects themselves. A mark high over
    // a low corner of the map would leave the map's depth band: it is
    // clamped into it instead of clipped.
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_CLAMP);
    glBindVertexArray(mapMarkVAO);
    glDrawArrays(GL_TRIANGLES, arrow ? discVertices : 0, arrow ? arrowVertices : discVertices);
    glBindVertexArray(0);
    glDisable(GL_DEPTH_CLAMP);
    glDepthMask(GL_TRUE);
    setInt(shader, "culling", app::gameSettings.cullingEnabled ? 1 : 0);
}

glm::vec3 Renderer::insideMap(const glm::vec3& place, float reach) {
    const glm::mat4 map = miniMapMatrix();
    glm::vec4 onMap = map * glm::vec4(place, 1.0f);
    const float limit = 1.0f - reach / miniMapHalfWidth;
    onMap.x = std::clamp(onMap.x, -limit, limit);
    onMap.y = std::clamp(onMap.y, -limit, limit);
    return glm::vec3(glm::inverse(map) * onMap);
}

void Renderer::createSsaoFramebuffers() {
    glGenFramebuffers(1, &gBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, gBuffer);
    gPosition = attachColorTexture(0, vectorFormat, width, height);
    // Positions are looked up around each pixel; past the edge they must not wrap.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gNormal = attachColorTexture(1, vectorFormat, width, height);
    gAlbedo = attachColorTexture(2, colorFormat, width, height);
    const GLenum attachments[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    glDrawBuffers(3, attachments);
    glGenRenderbuffers(1, &gDepth);
    allocate(gDepth, geometryDepthFormat, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, gDepth);
    requireCompleteFramebuffer("Framebuffer not complete!", width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glGenFramebuffers(1, &ssaoFramebuffer);
    glGenFramebuffers(1, &ssaoBlurFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, ssaoFramebuffer);
    ssaoColorTexture = attachColorTexture(0, occlusionFormat, width, height);
    requireCompleteFramebuffer("SSAO Framebuffer not complete!", width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, ssaoBlurFramebuffer);
    ssaoBlurTexture = attachColorTexture(0, occlusionFormat, width, height);
    requireCompleteFramebuffer("SSAO Blur Framebuffer not complete!", width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Renderer::generateSsaoKernel() {
    ssaoKernel.assign(std::size_t(kernelSize), glm::vec3(0.0f));
    for (int i = 0; i < kernelSize; ++i) {
        // Separate statements: the draws must happen in this order.
        const float x = unitRandom();
        const float y = unitRandom();
        const float z = unitRandom();
        glm::vec3 sample(x * 2.0f - 1.0f, y * 2.0f - 1.0f, z);
        sample *= unitRandom();
        // Crowd the samples towards the centre: near occluders matter most.
        const float s = float(i) / float(kernelSize);
        sample *= 0.1f + 0.9f * s * s;
        ssaoKernel[std::size_t(i)] = sample;
    }
}

void Renderer::generateSsaoNoise() {
    ssaoNoise.assign(std::size_t(noiseSize), glm::vec3(0.0f));
    for (glm::vec3& rotation : ssaoNoise) {
        const float x = unitRandom();
        const float y = unitRandom();
        // Rotations about the surface normal only, hence z = 0.
        rotation = glm::vec3(x * 2.0f - 1.0f, y * 2.0f - 1.0f, 0.0f);
    }
    glGenTextures(1, &noiseTexture);
    glBindTexture(GL_TEXTURE_2D, noiseTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16F, 4, 4, 0, GL_RGB, GL_FLOAT, ssaoNoise.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void Renderer::createBlurSampler() {
    glGenSamplers(1, &blurSampler);
    glSamplerParameteri(blurSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(blurSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(blurSampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(blurSampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void Renderer::bindSsaoSamplerUnits() {
    // The occlusion pass binds its textures to units 0, 1 and 2 but never sets
    // samplers, which all default to unit 0: point two of them at 1 and 2 once.
    const Shader& shader = *shaders.at("SSAO");
    glUseProgram(shader.program);
    setInt(shader, "gPosition", 0);
    setInt(shader, "gNormal", 1);
    setInt(shader, "texNoise", 2);
}

void Renderer::ssaoPass() {
    const Shader& shader = *useShader("SSAO");
    glBindFramebuffer(GL_FRAMEBUFFER, ssaoFramebuffer);
    glClear(GL_COLOR_BUFFER_BIT);
    for (int i = 0; i < kernelSize; ++i) {
        const std::string sample = "samples[" + std::to_string(i) + "]";
        setVec3(shader, sample.c_str(), ssaoKernel[std::size_t(i)]);
    }
    setMat4(shader, "projection", projection);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gPosition);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, gNormal);
    setFloat(shader, "width", float(width));
    setFloat(shader, "height", float(height));
    setInt(shader, "kernelSize", kernelSize);
    setFloat(shader, "radius", ssaoRadius);
    setFloat(shader, "bias", ssaoBias);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, noiseTexture);
    drawQuad(quadDepth);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Renderer::ssaoBlurPass() {
    useShader("SSAOBlur");
    glBindFramebuffer(GL_FRAMEBUFFER, ssaoBlurFramebuffer);
    glClear(GL_COLOR_BUFFER_BIT);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, ssaoColorTexture);
    // A linear fetch at a texel corner is the mean of the four texels there,
    // so the 4 x 4 box takes four fetches.
    glBindSampler(0, blurSampler);
    drawQuad(quadDepth);
    glBindSampler(0, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Renderer::compositePass() {
    useShader("viewSpaceShader");
    drawQuad(compositeDepth);
    endPass("viewSpaceShader");
}

void Renderer::shadowDebugView() {
    if (!app::gameSettings.shadowsEnabled || !app::gameSettings.shadowsDebug) {
        return;
    }
    const Shader& shader = debugViewShader();
    glViewport(width - width / 4 - 10, 10, width / 4, height / 4);
    drawDepthInset(shader, shadowDepthTexture, InsetSource::ShadowMap);
}

void Renderer::ssaoDebugView() {
    if (!app::gameSettings.ssaoEnabled || !app::gameSettings.ssaoDebug) {
        return;
    }
    // Full window: the viewport is the window's already.
    drawDepthInset(debugViewShader(), ssaoBlurTexture, InsetSource::Occlusion);
}

Shader& Renderer::debugViewShader() {
    if (shaders.find("renderFBO") == shaders.end()) {
        loadShader("renderFBO");
    }
    Shader& shader = *shaders.at("renderFBO");
    glUseProgram(shader.program);
    return shader;
}

void Renderer::drawDepthInset(const Shader& shader, GLuint texture, InsetSource source) {
    setInt(shader, "source", int(source));
    setFloat(shader, "near_plane", lightNearPlane);
    setFloat(shader, "far_plane", lightFarPlane);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    // An inset lies over whatever is drawn there, the occlusion composite
    // included. It still writes its depth, so the composite drawn after the
    // debug views at the same depth leaves them alone.
    glDepthFunc(GL_ALWAYS);
    drawQuad(quadDepth);
    glDepthFunc(GL_LESS);
    endPass("renderFBO");
}

} // namespace pizzeria::render
