// What a player sees: the ground ahead of the cook, a mini-map of the whole
// world and motion as smooth as the display allows.
#include "app/GameSettings.h"
#include "app/IngredientManager.h"
#include "app/InputHandler.h"
#include "render/Renderer.h"
#include "tests/support/Picture.h"
#include "tests/support/WholeGame.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

using pizzeria::app::gameSettings;
using pizzeria::app::inputHandler;
using pizzeria::render::Renderer;
using pizzeria::scene::MoveAbleObject;
using pizzeria::scene::SceneObject;
using testsupport::Picture;

namespace {

constexpr float step = 1.0f / 60.0f;

class View : public testsupport::WholeGame {
protected:
    static void SetUpTestSuite() {
        WholeGame::SetUpTestSuite();
        startPitch = inputHandler->pitch;
    }

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(WholeGame::SetUp());
        inputHandler->pitch = startPitch;
        inputHandler->yaw = 0.0f;
        for (int i = 0; i < 90; ++i) {
            game->advance(step); // the cook lands, the ingredients come into play
        }
        gameSettings.gameRunning = false; // nothing walks off; the cook still may
        gameSettings.miniMapEnabled = true;
    }

    static Picture frame() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->render();
        return Picture::ofBackBuffer(game->width, game->height);
    }

    static void place(MoveAbleObject& object, glm::vec3 at, float facing = 0.0f) {
        at.y = game->terrain->heightAt(at.x, at.z);
        object.modelMatrix =
            glm::rotate(glm::translate(glm::mat4(1.0f), at), facing, glm::vec3(0, 1, 0));
        object.position = at;
    }

    // A live ingredient of `kind`, beside those there are or the only one.
    static MoveAbleObject& liveIngredient(int kind, bool only = true) {
        auto& ingredients = *game->ingredients;
        if (only) {
            ingredients.live.clear();
        }
        ingredients.pending.clear();
        EXPECT_NE(ingredients.spawn(kind), nullptr);
        ingredients.live.push_back(std::move(ingredients.pending.back()));
        ingredients.pending.pop_back();
        return *ingredients.live.back();
    }

    static glm::vec3 ahead(const pizzeria::scene::maincharacter::MainCharacter& cook, float d) {
        return cook.position + d * glm::vec3(std::sin(cook.yaw), 0.0f, std::cos(cook.yaw));
    }

    // Where a world point shows in the mini-map inset.
    static glm::vec2 insetPixel(const glm::vec3& world) {
        const glm::vec4 clip = Renderer::miniMapMatrix() * glm::vec4(world, 1.0f);
        const auto inset = Renderer::miniMapInset(game->width, game->height);
        return {float(inset.x) + (clip.x / clip.w * 0.5f + 0.5f) * float(inset.width),
                float(inset.y) + (clip.y / clip.w * 0.5f + 0.5f) * float(inset.height)};
    }

    static inline float startPitch = 0.0f;
};

} // namespace

// Each kind set on the ground straight ahead of the cook, as a new player
// meets it: enough of it shows over and beside him to be seen and aimed at.
TEST_F(View, EveryIngredientAheadOfTheCookIsSeen) {
    const auto& cook = *game->mainCharacter;
    gameSettings.shadowsEnabled = false; // the pixels of the ingredient alone
    game->ingredients->live.clear();
    const Picture empty = frame();

    for (const float distance : {4.0f, 8.0f}) {
        SCOPED_TRACE(testing::Message() << distance << " ahead");
        std::vector<int> pixels;
        for (int kind = 1; kind <= 8; ++kind) {
            MoveAbleObject& ingredient = liveIngredient(kind);
            // End on and side on: the long kinds show least end on.
            int least = 1 << 30;
            for (const float turn : {0.0f, glm::half_pi<float>()}) {
                place(ingredient, ahead(cook, distance), cook.yaw + turn);
                least = std::min(least, frame().differentPixels(empty));
            }
            EXPECT_GE(least, distance < 5.0f ? 500 : 250) << pizzeria::app::ingredientName(kind);
            pixels.push_back(least);
        }
        std::sort(pixels.begin(), pixels.end());
        EXPECT_GE((pixels[3] + pixels[4]) / 2, distance < 5.0f ? 1500 : 800) << "median";
    }
    game->ingredients->live.clear();
}

namespace {

bool colourNear(const Picture& p, glm::vec2 centre, glm::vec3 colour) {
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            if (glm::distance(p.at(int(centre.x) + dx, int(centre.y) + dy), colour) < 0.2f) {
                return true;
            }
        }
    }
    return false;
}

const glm::vec3 cookYellow{1.0f, 0.92f, 0.25f};
const glm::vec3 wantedGreen{0.25f, 1.0f, 0.35f};
const glm::vec3 otherBlue{0.45f, 0.72f, 1.0f};
const glm::vec3 enemyRed{1.0f, 0.18f, 0.18f};

// The arrow's pixels in the inset.
std::vector<glm::vec2> arrowPixels(const Picture& p) {
    const auto inset = Renderer::miniMapInset(p.width, p.height);
    std::vector<glm::vec2> arrow;
    for (int y = inset.y; y < inset.y + inset.height; ++y) {
        for (int x = inset.x; x < inset.x + inset.width; ++x) {
            if (glm::distance(p.at(x, y), cookYellow) < 0.2f) {
                arrow.emplace_back(float(x), float(y));
            }
        }
    }
    return arrow;
}

// The arrow's tip is its pixel farthest from its middle: the direction from
// the middle to it, in the inset.
glm::vec2 arrowPointing(const std::vector<glm::vec2>& arrow) {
    glm::vec2 middle(0.0f);
    for (const glm::vec2& a : arrow) {
        middle += a / float(arrow.size());
    }
    glm::vec2 tip = middle;
    for (const glm::vec2& a : arrow) {
        tip = glm::distance(a, middle) > glm::distance(tip, middle) ? a : tip;
    }
    return glm::normalize(tip - middle);
}

} // namespace

// A gangster anywhere on the terrain, at its corners and edges, and the
// ingredients ahead of the cook keep their marks, in the colour that tells
// what each is, and the cook his arrow, pointing where he faces, with culling
// off; with culling on, exactly those ahead of the camera do.
TEST_F(View, EveryMarkShowsWhereverItsObjectStands) {
    auto& cook = *game->mainCharacter;
    place(cook, glm::vec3(0.0f), cook.yaw);
    game->enemies->live.clear();
    ASSERT_NE(game->enemies->spawn(), nullptr);
    MoveAbleObject& gangster = *game->enemies->live.back();
    auto& ingredients = *game->ingredients;
    const int wantedKind = ingredients.order.front();
    MoveAbleObject& wanted = liveIngredient(wantedKind);
    MoveAbleObject& other = liveIngredient(wantedKind % 8 + 1, false); // any other kind
    ingredients.order = {wantedKind};
    const glm::vec2 facing =
        glm::normalize(insetPixel(ahead(cook, 10.0f)) - insetPixel(cook.position));
    const float edge = game->terrain->size / 2.0f - 8.0f;
    const glm::vec3 places[] = {{edge, 0, edge},   {-edge, 0, edge}, {edge, 0, -edge},
                                {-edge, 0, -edge}, {0, 0, edge},     {0, 0, -edge},
                                {edge, 0, 0},      {-edge, 0, 0},    {40, 0, 80},
                                {-30, 0, 60},      {100, 0, 100},    {-100, 0, 100}};
    struct Camera {
        const char* name;
        float pitch;
    };
    for (const Camera camera : {Camera{"level", -0.1f}, Camera{"pitched down", -1.2f}}) {
        for (const bool culling : {false, true}) {
            SCOPED_TRACE(testing::Message() << camera.name << (culling ? ", culling" : ""));
            inputHandler->pitch = camera.pitch;
            gameSettings.cullingEnabled = culling;
            place(wanted, ahead(cook, 3.0f));
            place(other, ahead(cook, 20.0f)); // beyond the arrow's tip
            for (const glm::vec3& at : places) {
                place(gangster, at);
                const Picture p = frame();
                const glm::vec3 eye = game->camera->position;
                const bool ahead = glm::dot(gangster.position - eye, game->camera->front) > 0.0f;
                EXPECT_EQ(colourNear(p, insetPixel(gangster.position), enemyRed), !culling || ahead)
                    << "gangster at " << at.x << ", " << at.z;
                EXPECT_TRUE(colourNear(p, insetPixel(wanted.position), wantedGreen));
                EXPECT_TRUE(colourNear(p, insetPixel(other.position), otherBlue));
                const std::vector<glm::vec2> arrow = arrowPixels(p);
                ASSERT_GT(arrow.size(), 10u) << "no arrow";
                EXPECT_GT(glm::dot(arrowPointing(arrow), facing), 0.9f) << "pointing elsewhere";
            }
        }
    }
    game->enemies->live.clear();
    ingredients.live.clear();
}

// At the world's corners and edges the arrow stays whole inside the inset,
// clear of its frame.
TEST_F(View, TheCooksArrowStaysWholeInsideTheMap) {
    auto& cook = *game->mainCharacter;
    place(cook, glm::vec3(0.0f), cook.yaw);
    const std::size_t whole = arrowPixels(frame()).size();
    ASSERT_GT(whole, 10u);
    const float edge = game->terrain->size / 2.0f;
    const auto inset = Renderer::miniMapInset(game->width, game->height);
    constexpr int frameWidth = 2;
    for (const glm::vec2 at : {glm::vec2(edge, edge), glm::vec2(-edge, edge), glm::vec2(0, -edge),
                               glm::vec2(edge, 0), glm::vec2(-edge, -edge)}) {
        for (const float facing : {0.0f, 2.0f, 4.0f}) {
            SCOPED_TRACE(testing::Message() << at.x << ", " << at.y << " facing " << facing);
            cook.yaw = facing;
            place(cook, glm::vec3(at.x, 0.0f, at.y), facing);
            const std::vector<glm::vec2> arrow = arrowPixels(frame());
            EXPECT_NEAR(float(arrow.size()), float(whole), 0.2f * float(whole)) << "cut";
            for (const glm::vec2& a : arrow) {
                ASSERT_GE(a.x, float(inset.x + frameWidth));
                ASSERT_GE(a.y, float(inset.y + frameWidth));
                ASSERT_LT(a.x, float(inset.x + inset.width - frameWidth));
                ASSERT_LT(a.y, float(inset.y + inset.height - frameWidth));
            }
        }
    }
}

// Displays faster than the world's steps draw the world between its last two
// steps: while the cook walks, each frame shows him and the camera on by
// nearly the same distance, and at 60 Hz by exactly one step's walk.
TEST_F(View, FramesAtAnyRateShowEvenMotion) {
    auto& cook = *game->mainCharacter;
    cook.yaw = pizzeria::scene::maincharacter::MainCharacter::startYaw; // open ground ahead
    place(cook, glm::vec3(0.0f), cook.yaw);
    inputHandler->onKey(game->window, GLFW_KEY_W, GLFW_PRESS);
    for (int i = 0; i < 20; ++i) {
        game->advance(step); // up to walking speed
    }
    for (const int hertz : {144, 75, 60}) {
        SCOPED_TRACE(testing::Message() << hertz << " Hz");
        const float frameSeconds = 1.0f / float(hertz);
        std::vector<glm::vec2> drawn;
        std::vector<glm::vec2> eyes;
        for (int f = 0; f < hertz / 2; ++f) {
            game->advance(frameSeconds);
            game->placeFrame(float(game->frameClock.share()));
            const glm::vec3 at(cook.poseAt(SceneObject::drawShare)[3]);
            drawn.emplace_back(at.x, at.z);
            eyes.emplace_back(game->camera->position.x, game->camera->position.z);
        }
        const float expected = cook.speed * frameSeconds;
        for (std::size_t f = 1; f < drawn.size(); ++f) {
            EXPECT_NEAR(glm::distance(drawn[f], drawn[f - 1]), expected, 0.1f * expected)
                << "frame " << f;
            EXPECT_NEAR(glm::distance(eyes[f], eyes[f - 1]), expected, 0.1f * expected)
                << "frame " << f;
        }
    }
    inputHandler->onKey(game->window, GLFW_KEY_W, GLFW_RELEASE);

    // Mouse look turns the view every frame, also between steps.
    glm::mat4 lastView = game->renderer->view;
    double x = 0.0;
    inputHandler->onMouseMove(x, 0.0);
    for (int f = 0; f < 12; ++f) {
        game->advance(1.0f / 144.0f);
        inputHandler->onMouseMove(x += 4.0, 0.0);
        game->placeFrame(float(game->frameClock.share()));
        EXPECT_NE(game->renderer->view, lastView) << "frame " << f;
        lastView = game->renderer->view;
    }
}

// The shadow pass clears and draws only the part of the map that the
// camera's lookups reach; the rest keeps older depth. An object the camera
// sees above the ground's box (an ingredient dropping in) reads past that
// part, and must look as it would with the whole map cleared.
TEST_F(View, ShadowsNeverComeFromOldDepth) {
    auto& renderer = *game->renderer;
    gameSettings.shadowsEnabled = true;
    gameSettings.shadowsChanged = true;
    gameSettings.godMode = true;
    MoveAbleObject& dropping = liveIngredient(1);
    const glm::vec3 eye(0.0f, renderer.receiversMax.y - 1.0f, 0.0f);
    bool readsPastTheRegion = false;
    for (int heading = 0; heading < 16 && !readsPastTheRegion; ++heading) {
        const float yaw = float(heading) * glm::pi<float>() / 8.0f;
        inputHandler->yaw = yaw;
        inputHandler->pitch = 0.15f;
        game->camera->position = eye;
        place(dropping, eye + glm::vec3(12.0f * std::cos(yaw), 0.0f, 12.0f * std::sin(yaw)));
        dropping.modelMatrix[3].y = dropping.position.y = eye.y + 4.0f;
        frame();
        const glm::vec4 light = renderer.lightSpaceMatrix() * glm::vec4(dropping.position, 1.0f);
        const glm::ivec2 texel(glm::floor((glm::vec2(light) * 0.5f + 0.5f) *
                                          glm::vec2(renderer.shadowWidth, renderer.shadowHeight)));
        const auto inside = [&](const Renderer::Rect& r) {
            return texel.x >= r.x && texel.y >= r.y && texel.x < r.x + r.width &&
                   texel.y < r.y + r.height;
        };
        readsPastTheRegion = inside({0, 0, renderer.shadowWidth, renderer.shadowHeight}) &&
                             !inside(renderer.shadowRegion);
    }
    ASSERT_TRUE(readsPastTheRegion) << "no view in which the object reads past the region";

    const auto fillShadowMap = [&](float depth) {
        glBindFramebuffer(GL_FRAMEBUFFER, renderer.shadowFramebuffer);
        glClearDepth(depth);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0f);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    };
    fillShadowMap(0.0f); // old depth that would shadow everything
    const Picture stale = frame();
    fillShadowMap(1.0f);
    const Picture cleared = frame();
    EXPECT_EQ(stale.differentPixels(cleared), 0);
    game->ingredients->live.clear();
}
