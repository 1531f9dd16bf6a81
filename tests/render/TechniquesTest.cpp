// The rendering techniques judged by their pictures: small scenes drawn
// through the game's own programs, read back and compared by properties and
// tolerances.
#include "assets/BoxMesh.h"
#include "hud/Hud.h"
#include "tests/render/RenderFixture.h"
#include "tests/support/BuildPaths.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <vector>

using namespace rendertest;
using pizzeria::app::gameSettings;
using pizzeria::assets::Vertex;
using pizzeria::render::Renderer;

namespace {

const glm::vec3 moonPosition{150.0f, 80.0f, 150.0f};

GLint uniform(GLuint program, const char* name) {
    return glGetUniformLocation(program, name);
}

using Mesh = std::unique_ptr<pizzeria::assets::Mesh>;

void draw(const Mesh& mesh, GLuint program, const glm::mat4& model) {
    glUniformMatrix4fv(uniform(program, "model"), 1, GL_FALSE, glm::value_ptr(model));
    glBindVertexArray(mesh->vao);
    glDrawElements(GL_TRIANGLES, GLsizei(mesh->indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

// A unit sphere, finely divided so its shading is a smooth ramp.
Mesh sphere() {
    constexpr int rings = 64;
    constexpr int segments = 128;
    std::vector<Vertex> vertices;
    std::vector<GLuint> indices;
    for (int r = 0; r <= rings; ++r) {
        const float theta = glm::pi<float>() * float(r) / rings;
        for (int s = 0; s <= segments; ++s) {
            const float phi = glm::two_pi<float>() * float(s) / segments;
            const glm::vec3 p(std::sin(theta) * std::cos(phi), std::cos(theta),
                              std::sin(theta) * std::sin(phi));
            vertices.push_back({p, p, {float(s) / segments, float(r) / rings}});
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const auto a = GLuint(r * (segments + 1) + s);
            const auto b = a + segments + 1;
            indices.insert(indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    return std::make_unique<pizzeria::assets::Mesh>(vertices, indices);
}

glm::mat4 placed(const glm::vec3& centre, const glm::vec3& size) {
    return glm::scale(glm::translate(glm::mat4(1.0f), centre), size);
}

// Flat ground: the top of a thin slab at y = 0.
glm::mat4 ground(float side = 80.0f) {
    return placed(glm::vec3(0.0f, -0.25f, 0.0f), glm::vec3(side, 0.5f, side));
}

// The window's pixels, bottom row first as GL reads them.
struct Image {
    std::vector<unsigned char> rgba =
        std::vector<unsigned char>(std::size_t(windowWidth) * windowHeight * 4);

    static Image ofWindow() {
        Image image;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
        return image;
    }
    const unsigned char* at(int x, int y) const {
        return &rgba[(std::size_t(y) * windowWidth + x) * 4];
    }
    int red(int x, int y) const { return at(x, y)[0]; }
    // Mean of the three channels.
    float grey(int x, int y) const { return (at(x, y)[0] + at(x, y)[1] + at(x, y)[2]) / 3.0f; }
    // Mean grey of the 5 x 5 block around (x, y).
    float greyAround(glm::ivec2 p) const {
        float sum = 0.0f;
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                sum += grey(p.x + dx, p.y + dy);
            }
        }
        return sum / 25.0f;
    }
    // Pixels of the scene: the window is cleared to black, the ambient lifts it.
    std::vector<glm::ivec2> lit() const {
        std::vector<glm::ivec2> pixels;
        for (int y = 0; y < windowHeight; ++y) {
            for (int x = 0; x < windowWidth; ++x) {
                if (red(x, y) > 0) {
                    pixels.emplace_back(x, y);
                }
            }
        }
        return pixels;
    }
};

// Window pixel of a world point seen by the renderer's camera.
glm::ivec2 pixelOf(const Renderer& renderer, const glm::vec3& world) {
    const glm::vec4 clip = renderer.projection * renderer.view * glm::vec4(world, 1.0f);
    const glm::vec3 ndc = glm::vec3(clip) / clip.w;
    return {int((ndc.x * 0.5f + 0.5f) * windowWidth), int((ndc.y * 0.5f + 0.5f) * windowHeight)};
}

void lookAt(Renderer& renderer, const glm::vec3& eye, const glm::vec3& target) {
    renderer.viewPosition = eye;
    renderer.viewDirection = glm::normalize(target - eye);
    renderer.view = glm::lookAt(eye, target, glm::vec3(0, 1, 0));
    renderer.projection =
        glm::perspective(glm::radians(45.0f), float(windowWidth) / windowHeight, 0.1f, 500.0f);
}

struct Surface {
    glm::vec3 specular{0.0f};
    float shininess = 32.0f;
    float diffuse = 1.0f;
};

// A white texture on unit 0, the moon's light and a plain material, as the
// game's objects and Moon::setUniforms upload them, and the game's fonts. The meshes go before the
// context, which takes the texture with it.
class Scene : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        glEnable(GL_CLIP_DISTANCE0);
        std::filesystem::copy(std::filesystem::path(testsupport::runDir()) / "Fonts", "Fonts");
        const unsigned char white[3] = {255, 255, 255};
        glGenTextures(1, &whiteTexture);
        glBindTexture(GL_TEXTURE_2D, whiteTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        box = pizzeria::assets::makeBoxMesh({glm::vec3(-0.5f), glm::vec3(0.5f)});
        ball = sphere();
    }

    void prepare(GLuint program, const glm::vec3& light, const Surface& surface) const {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, whiteTexture);
        glUniform1i(uniform(program, "material.diffuseTexture"), 0);
        glUniform3f(uniform(program, "material.ambient"), 1.0f, 1.0f, 1.0f);
        glUniform3fv(uniform(program, "material.diffuse"), 1,
                     glm::value_ptr(glm::vec3(surface.diffuse)));
        glUniform3fv(uniform(program, "material.specular"), 1, glm::value_ptr(surface.specular));
        glUniform1f(uniform(program, "material.shininess"), surface.shininess);
        glUniform3fv(uniform(program, "globalLight.position"), 1, glm::value_ptr(light));
        glUniform3f(uniform(program, "globalLight.ambient"), 0.3f, 0.3f, 0.3f);
        glUniform3f(uniform(program, "globalLight.diffuse"), 0.7f, 0.7f, 0.7f);
        glUniform3f(uniform(program, "globalLight.specular"), 1.0f, 1.0f, 1.0f);
    }

    // One frame of the game's passes with `objects` drawn in each of them.
    void frame(Renderer& renderer, const std::function<void(GLuint)>& objects,
               const glm::vec3& light = moonPosition, const Surface& surface = {}) const {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (gameSettings.shadowsEnabled) {
            objects(renderer.useShader("shadowmap")->program);
            renderer.endPass("shadowmap");
        }
        objects(renderer.useShader("miniMap")->program);
        renderer.endPass("miniMap");
        const GLuint lit = renderer.useShader("default")->program;
        prepare(lit, light, surface);
        objects(lit);
        renderer.endPass("default");
        if (gameSettings.ssaoEnabled) {
            const GLuint geometry = renderer.useShader("SSAOGeo")->program;
            prepare(geometry, light, surface);
            objects(geometry);
            renderer.endPass("SSAOGeo");
        }
    }

    // The unit sphere seen from 4 units away, lit from the upper right.
    Image sphereFrame(Renderer& renderer, const Surface& surface) const {
        lookAt(renderer, glm::vec3(0, 0, 4), glm::vec3(0.0f));
        frame(
            renderer, [&](GLuint program) { draw(ball, program, glm::mat4(1.0f)); },
            glm::vec3(60.0f, 40.0f, 30.0f), surface);
        return Image::ofWindow();
    }

    GLuint whiteTexture = 0;
    Mesh box; // the unit cube around the origin
    Mesh ball;
};

// The shadow tests' camera: above the origin, on the side away from the moon.
const glm::vec3 shadowEye{-4.0f, 14.0f, 2.0f};

// Where a box must hang `height` up for its shadow to fall on the origin: the
// light matrix is orthographic along the ray from the moon to the eye.
glm::vec3 castingOnOrigin(float height) {
    const glm::vec3 ray = glm::normalize(shadowEye - moonPosition);
    return ray * (height / ray.y);
}

using Shadows = Scene;
using Culling = Scene;
using Lighting = Scene;
using MiniMap = Scene;
using Occlusion = Scene;
using Wireframe = Scene;

float occlusionAt(const Renderer& renderer, glm::ivec2 pixel) {
    glBindFramebuffer(GL_FRAMEBUFFER, renderer.ssaoBlurFramebuffer);
    float value = -1.0f;
    glReadPixels(pixel.x, pixel.y, 1, 1, GL_RED, GL_FLOAT, &value);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return value;
}

GLint polygonMode() {
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    return mode[0];
}

} // namespace

// Moonlight comes in low (about 20 degrees), so a slope-scaled bias is needed:
// too little and lit ground shows acne (darker with shadows on), too much and
// the shadow lets go of a caster standing on the ground (peter-panning).
TEST_F(Shadows, ACasterDarkensTheGroundUnderItAndNothingElse) {
    const struct {
        glm::vec3 caster, size; // the box
        glm::vec3 underneath;   // ground that must lie in its shadow
    } casters[] = {
        // A box hanging 3 units up, its shadow on the origin.
        {castingOnOrigin(3.0f), glm::vec3(1.5f), glm::vec3(0.0f)},
        // A post standing on the ground: ground 0.3 behind its foot, away
        // from the moon, is dark.
        {glm::vec3(0, 1, 0), glm::vec3(1, 2, 1), glm::vec3(-0.71f, 0.0f, -0.71f)},
    };
    Renderer renderer(windowWidth, windowHeight);
    lookAt(renderer, shadowEye, glm::vec3(0.0f));
    // Well off the diagonal along which both shadows fall.
    const glm::vec3 openGround[] = {{3, 0, -3}, {-2, 0, 2}, {2, 0, -4}, {-3, 0, 1}};
    for (const auto& c : casters) {
        const auto objects = [&](GLuint program) {
            draw(box, program, ground());
            draw(box, program, placed(c.caster, c.size));
        };
        float shade[2] = {};
        float open[2][4] = {};
        for (bool shadows : {false, true}) {
            gameSettings.shadowsEnabled = shadows;
            gameSettings.shadowsChanged = true;
            frame(renderer, objects);
            const Image image = Image::ofWindow();
            shade[shadows] = image.greyAround(pixelOf(renderer, c.underneath));
            for (int i = 0; i < 4; ++i) {
                open[shadows][i] = image.greyAround(pixelOf(renderer, openGround[i]));
            }
        }
        EXPECT_LT(shade[1], 0.75f * shade[0]) << "lit " << shade[0] << ", shadowed " << shade[1];
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(open[1][i], open[0][i], 0.02f * open[0][i] + 1.0f) << "open ground " << i;
        }
    }
}

// Same exponent for both: the half-vector lobe is about four times wider in
// angle-squared, so Blinn-Phong's highlight on the shiny tomato is larger.
TEST_F(Lighting, BlinnPhongWidensTheHighlightOfTheShinyTomato) {
    gameSettings.shadowsEnabled = false;
    Renderer renderer(windowWidth, windowHeight);
    // Dimmer diffuse than the game's, so the highlight is not lost in white.
    const Image matte = sphereFrame(renderer, Surface{glm::vec3(0.0f), 256.0f, 0.4f});
    int highlight[2] = {};
    for (bool blinn : {false, true}) {
        gameSettings.blinnPhong = blinn;
        gameSettings.lightingChanged = true;
        const Image shiny = sphereFrame(renderer, Surface{glm::vec3(1.0f), 256.0f, 0.4f});
        for (const glm::ivec2& p : shiny.lit()) {
            highlight[blinn] += shiny.grey(p.x, p.y) > matte.grey(p.x, p.y) + 20.0f;
        }
    }
    EXPECT_GT(highlight[0], 20) << "Phong shows a highlight";
    EXPECT_GT(highlight[1], 2 * highlight[0])
        << "Phong " << highlight[0] << " pixels, Blinn-Phong " << highlight[1];
}

TEST_F(Lighting, CelShadingQuantisesTheSphereIntoAFewBands) {
    gameSettings.shadowsEnabled = false;
    Renderer renderer(windowWidth, windowHeight);
    std::size_t tones[2] = {};
    for (bool cel : {false, true}) {
        gameSettings.celShading = cel;
        gameSettings.celShadingChanged = true;
        const Image image = sphereFrame(renderer, Surface{glm::vec3(0.5f), 32.0f});
        const auto pixels = image.lit();
        ASSERT_GT(pixels.size(), 50000u) << "the sphere fills a good part of the window";
        std::set<int> reds;
        for (const glm::ivec2& p : pixels) {
            reds.insert(image.red(p.x, p.y));
        }
        tones[cel] = reds.size();
    }
    EXPECT_GT(tones[0], 60u) << "smooth shading is a ramp";
    EXPECT_LE(tones[1], 5u) << "bands, a highlight and the unlit side";
    EXPECT_GE(tones[1], 3u);
}

TEST_F(MiniMap, DepthShowsWhatStandsInTheSquareBetweenItsPlanes) {
    Renderer renderer(windowWidth, windowHeight);
    lookAt(renderer, glm::vec3(0, 2, 5), glm::vec3(0, 2, 0));
    gameSettings.cullingEnabled = false;
    const struct {
        glm::vec3 position;
        bool shown;
    } objects[] = {
        {{80, 0, 10}, true},     {{-60, 5, 70}, true},
        {{10, 0, -90}, true},    {{40, 40, 40}, false}, // above the depth band
        {{300, 0, 0}, false},                           // outside the terrain square
        {{-20, -20, 20}, false},                        // below the depth band
    };
    for (const auto& object : objects) {
        draw(box, renderer.useShader("miniMap")->program, placed(object.position, glm::vec3(2.0f)));
        renderer.endPass("miniMap");
        std::vector<float> depth(256 * 256); // the mini-map's depth texture
        glBindTexture(GL_TEXTURE_2D, renderer.miniMapDepthTexture);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        const auto drawn =
            std::count_if(depth.begin(), depth.end(), [](float d) { return d < 1.0f; });
        EXPECT_EQ(drawn > 0, object.shown) << "object at x " << object.position.x;
        EXPECT_LT(drawn, 40) << "a 2-unit box is a few texels";
    }
}

// The inset lies over whatever the frame drew: the lit scene, the HUD, the
// occlusion composite (which used to cover it) and the occlusion's debug view.
// The frame-rate line's place above it is HudLayout's.
TEST_F(MiniMap, TheInsetShowsOverEveryView) {
    gameSettings.miniMapEnabled = true;
    gameSettings.shadowsEnabled = false;
    gameSettings.showFps = true;
    Renderer renderer(windowWidth, windowHeight);
    pizzeria::hud::Hud hud(windowWidth, windowHeight);
    hud.setFps(60);
    const Renderer::Rect inset = Renderer::miniMapInset(windowWidth, windowHeight);
    lookAt(renderer, glm::vec3(0, 30, 1), glm::vec3(0.0f)); // bright ground fills the window
    for (const auto& [ssao, debug] : {std::pair{false, false}, {true, false}, {true, true}}) {
        gameSettings.ssaoEnabled = ssao;
        gameSettings.ssaoDebug = debug;
        frame(renderer, [&](GLuint program) {
            draw(box, program, ground());
            draw(box, program, placed(glm::vec3(80, 2, 10), glm::vec3(2.0f))); // a dot on the map
        });
        hud.draw(*renderer.useShader("text"));
        renderer.endPass("text");
        renderer.drawMiniMap();
        const Image image = Image::ofWindow();
        int field = 0;
        float brightest = 0.0f;
        for (int y = inset.y + 1; y < inset.y + inset.height - 1; ++y) {
            for (int x = inset.x + 1; x < inset.x + inset.width - 1; ++x) {
                const float grey = image.grey(x, y);
                field += grey > 0.0f && grey < 70.0f ? 1 : 0;
                brightest = std::max(brightest, grey);
            }
        }
        const int area = (inset.width - 2) * (inset.height - 2);
        EXPECT_GT(field, area * 8 / 10)
            << "the map's dark field, ssao " << ssao << " debug " << debug;
        EXPECT_GT(brightest, 150.0f) << "the dot, ssao " << ssao << " debug " << debug;
    }
}

// Text used to be depth-tested against the scene: anything closer to the
// camera than a fifth of a unit (a hill the camera is in, a gangster in its
// face) wiped the HUD out.
TEST_F(Lighting, TheHudIsDrawnOverAnythingInFrontOfTheCamera) {
    gameSettings.shadowsEnabled = false;
    Renderer renderer(windowWidth, windowHeight);
    pizzeria::hud::Hud hud(windowWidth, windowHeight);
    hud.setPizzaIngredients({"tomato"});
    lookAt(renderer, glm::vec3(0, 1, 5), glm::vec3(0, 1, 0));
    const Surface dull{glm::vec3(0.0f), 32.0f, 0.0f}; // ambient only: a mid grey
    frame(
        renderer,
        [&](GLuint program) {
            draw(box, program, placed(glm::vec3(0, 1, 4.85f), glm::vec3(20.0f, 20.0f, 0.01f)));
        },
        moonPosition, dull);
    hud.draw(*renderer.useShader("text"));
    renderer.endPass("text");
    const Image image = Image::ofWindow();
    // "next Pizza:" at the top left, white on the grey wall.
    int white = 0;
    for (int y = windowHeight - 60; y < windowHeight; ++y) {
        for (int x = 0; x < 300; ++x) {
            white += image.grey(x, y) > 200.0f ? 1 : 0;
        }
    }
    EXPECT_GT(white, 200);
    EXPECT_GT(image.grey(600, 400), 20.0f) << "the wall is drawn";
    EXPECT_LT(image.grey(600, 400), 150.0f);
}

// An orthographic camera sees behind its eye, so what the clip plane removes
// becomes visible. The mini-map's marks follow the same plane on the whole
// game (View.EveryMarkShowsWhereverItsObjectStands).
TEST_F(Culling, ClipsWhatLiesBehindTheCameraPlane) {
    gameSettings.shadowsEnabled = false;
    gameSettings.miniMapEnabled = false;
    const glm::vec3 ahead(-6, 2, -20);
    const glm::vec3 behind(6, 2, 30);
    for (const bool culling : {false, true}) {
        gameSettings.cullingEnabled = culling;
        Renderer renderer(windowWidth, windowHeight);
        lookAt(renderer, glm::vec3(0, 2, 5), glm::vec3(0, 2, 0));
        renderer.projection = glm::ortho(-15.0f, 15.0f, -10.0f, 10.0f, -60.0f, 60.0f);
        frame(renderer, [&](GLuint program) {
            draw(box, program, placed(ahead, glm::vec3(2.0f)));
            draw(box, program, placed(behind, glm::vec3(2.0f)));
        });
        const Image image = Image::ofWindow();
        EXPECT_GT(image.greyAround(pixelOf(renderer, ahead)), 0.0f);
        EXPECT_EQ(image.greyAround(pixelOf(renderer, behind)) > 0.0f, !culling);
    }
}

TEST_F(Occlusion, CreasesAreDarkerThanOpenGroundAndTheSkyIsOpen) {
    gameSettings.ssaoEnabled = true;
    gameSettings.shadowsEnabled = false;
    Renderer renderer(windowWidth, windowHeight);
    lookAt(renderer, glm::vec3(0, 2.5f, 4), glm::vec3(0, 0.3f, 0));
    frame(renderer, [&](GLuint program) {
        draw(box, program, ground(12.0f)); // small, so the top of the window is sky
        draw(box, program, placed(glm::vec3(0, 0.5f, 0), glm::vec3(1.0f)));
    });
    const Image image = Image::ofWindow();
    // Ground 0.03 in front of the box's foot; the radius is only 0.3.
    const glm::vec3 crease(0.2f, 0.0f, 0.53f);
    const float creased = occlusionAt(renderer, pixelOf(renderer, crease));
    const float open = occlusionAt(renderer, pixelOf(renderer, glm::vec3(1.8f, 0.0f, 1.5f)));
    const float face = occlusionAt(renderer, pixelOf(renderer, glm::vec3(0.0f, 0.7f, 0.5f)));
    EXPECT_GT(open, 0.9f) << "flat ground occludes nothing";
    EXPECT_GT(face, 0.9f) << "nor does a flat face";
    EXPECT_LT(creased, open - 0.15f) << "crease " << creased << ", open " << open;
    EXPECT_NEAR(occlusionAt(renderer, {600, 790}), 1.0f, 1e-3f) << "sky";
    // The composite darkens the crease in the window too.
    EXPECT_LT(image.greyAround(pixelOf(renderer, crease)),
              image.greyAround(pixelOf(renderer, glm::vec3(0.2f, 0.0f, 1.2f))) - 5.0f);
}

// F3 draws the scene's meshes as lines; depth maps, text and full-screen
// quads stay filled, and the key's mode comes back after each.
TEST_F(Wireframe, ShowsTheSceneAsLinesButKeepsMapsTextAndQuadsFilled) {
    gameSettings.ssaoEnabled = true;
    gameSettings.ssaoDebug = true;
    Renderer renderer(windowWidth, windowHeight);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    for (const char* pass : {"shadowmap", "miniMap", "text"}) {
        renderer.useShader(pass);
        EXPECT_EQ(polygonMode(), GL_FILL) << pass;
        renderer.endPass(pass);
        EXPECT_EQ(polygonMode(), GL_LINE) << pass;
    }
    for (const char* pass : {"default", "lighting", "SSAOGeo"}) {
        renderer.useShader(pass);
        EXPECT_EQ(polygonMode(), GL_LINE) << pass;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    glBindFramebuffer(GL_FRAMEBUFFER, renderer.ssaoBlurFramebuffer);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    frame(renderer, [&](GLuint program) { draw(box, program, glm::mat4(1.0f)); });
    EXPECT_EQ(polygonMode(), GL_LINE);
    const Image image = Image::ofWindow();
    // The debug quad fills the window, away from its diagonal too.
    for (const glm::ivec2 p : {glm::ivec2(150, 600), glm::ivec2(1000, 150)}) {
        EXPECT_EQ(image.red(p.x, p.y), 255) << p.x << "," << p.y;
    }
}
