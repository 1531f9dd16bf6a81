// The camera's view and projection, and god-mode flight.
#include "render/Camera.h"
#include "app/GameSettings.h"
#include "tests/render/RenderFixture.h"

#include <GLFW/glfw3.h>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using pizzeria::app::gameSettings;
using pizzeria::app::GameSettings;
using pizzeria::render::Camera;

namespace {

// tan(22.5), the tangent of the half angle that fov = 45 stands for.
constexpr float tanHalf = 0.5578517f;
constexpr float nearPlane = 0.1f;
constexpr float farPlane = 500.0f;

// The right-handed perspective matrix written out element by element.
glm::mat4 expectedProjection(float aspect) {
    glm::mat4 m(0.0f);
    m[0][0] = 1.0f / (tanHalf * aspect);
    m[1][1] = 1.0f / tanHalf;
    m[2][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    m[2][3] = -1.0f;
    m[3][2] = -(2.0f * farPlane * nearPlane) / (farPlane - nearPlane);
    return m;
}

void expectVecNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class CameraMath : public testing::Test {
protected:
    void SetUp() override { gameSettings = GameSettings{}; }
    void TearDown() override { gameSettings = GameSettings{}; }

    // No window: the size is set by hand, as a window would report it.
    Camera camera{nullptr, nullptr};
};

struct SizeCase {
    int width;
    int height;
    float aspect;
};

class CameraProjection : public CameraMath, public testing::WithParamInterface<SizeCase> {};

} // namespace

TEST_P(CameraProjection, FollowsTheWindowShapeWithTheRadianFieldOfView) {
    const SizeCase size = GetParam();
    camera.windowWidth = size.width;
    camera.windowHeight = size.height;
    camera.updateMatrices();

    EXPECT_TRUE(
        rendertest::matricesNear(camera.projection, expectedProjection(size.aspect), 1e-5f));
    // The vertical field of view that results is 2 atan(tan 22.5), not 45 degrees.
    EXPECT_NEAR(2.0f * std::atan(1.0f / camera.projection[1][1]), 1.0177028f, 1e-6f);
    EXPECT_NEAR(camera.projection[0][0] * size.aspect, camera.projection[1][1], 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, CameraProjection,
                         testing::Values(SizeCase{1200, 800, 1.5f}, SizeCase{800, 800, 1.0f},
                                         SizeCase{1920, 1080, 1920.0f / 1080.0f},
                                         SizeCase{640, 480, 4.0f / 3.0f}));

TEST_F(CameraMath, ViewLooksAlongFrontAimedSlightlyHigher) {
    camera.windowWidth = 1200;
    camera.windowHeight = 800;
    for (const glm::vec3& front : {glm::vec3(0, 0, -1), glm::vec3(0.9238795f, -0.3826834f, 0),
                                   glm::normalize(glm::vec3(-1, -0.5f, 2))}) {
        camera.position = glm::vec3(3, 4, -5);
        camera.front = front;
        camera.updateMatrices();

        // The eye sits at the origin of view space...
        const glm::vec4 eye = camera.view * glm::vec4(camera.position, 1.0f);
        expectVecNear(glm::vec3(eye), glm::vec3(0.0f), 1e-5f);
        // ...and the aim point, 0.3 above one unit along front, straight ahead.
        const glm::vec3 aim = camera.position + front + glm::vec3(0, 0.3f, 0);
        const glm::vec4 ahead = camera.view * glm::vec4(aim, 1.0f);
        EXPECT_NEAR(ahead.x, 0.0f, 1e-5f);
        EXPECT_NEAR(ahead.y, 0.0f, 1e-5f);
        EXPECT_NEAR(ahead.z, -glm::length(front + glm::vec3(0, 0.3f, 0)), 1e-5f);
        // World up stays up: a point above the eye is not to either side.
        const glm::vec4 above = camera.view * glm::vec4(camera.position + camera.up, 1.0f);
        EXPECT_NEAR(above.x, 0.0f, 1e-5f);
        EXPECT_GT(above.y, 0.0f);
    }
}

TEST_F(CameraMath, ZeroSizedWindowKeepsTheLastProjection) {
    // Before any valid size the projection stays the identity, never a NaN.
    camera.windowWidth = 0;
    camera.windowHeight = 0;
    camera.updateMatrices();
    EXPECT_TRUE(rendertest::matricesNear(camera.projection, glm::mat4(1.0f), 0.0f));

    camera.windowWidth = 1200;
    camera.windowHeight = 800;
    camera.updateMatrices();
    const glm::mat4 valid = camera.projection;

    for (const auto& size : {std::pair{0, 0}, std::pair{0, 800}, std::pair{1200, 0}}) {
        camera.windowWidth = size.first;
        camera.windowHeight = size.second;
        camera.position += glm::vec3(1, 0, 0);
        const glm::mat4 oldView = camera.view;
        camera.updateMatrices();
        EXPECT_TRUE(rendertest::matricesNear(camera.projection, valid, 0.0f));
        // The view still follows the camera.
        EXPECT_NE(camera.view[3][0], oldView[3][0]) << size.first << "x" << size.second;
    }

    camera.windowWidth = 800;
    camera.windowHeight = 800;
    camera.updateMatrices();
    EXPECT_TRUE(rendertest::matricesNear(camera.projection, expectedProjection(1.0f), 1e-5f));
}

TEST(CameraWindow, UpdateReadsTheWindowSize) {
    gameSettings = GameSettings{};
    const auto context = rendertest::openContext(1200, 800);
    ASSERT_TRUE(context) << "needs a display; tools/test.sh starts Xvfb";
    Camera camera(context->window, nullptr);
    camera.update(0.016f);
    EXPECT_EQ(camera.windowWidth, 1200);
    EXPECT_EQ(camera.windowHeight, 800);
    EXPECT_TRUE(rendertest::matricesNear(camera.projection, expectedProjection(1.5f), 1e-5f));
}

namespace {

struct FlightCase {
    const char* name;
    std::vector<int> keys;
    glm::vec3 front;
    glm::vec3 expected; // position after 0.5 s from (0, 2, 5)
};

class CameraFlight : public CameraMath, public testing::WithParamInterface<FlightCase> {};

} // namespace

TEST_P(CameraFlight, HeldKeysMoveAtThirtyUnitsPerSecond) {
    const FlightCase& flight = GetParam();
    gameSettings.godMode = true;
    camera.front = flight.front;
    for (int key : flight.keys) {
        camera.keys[std::size_t(key)] = true;
    }
    camera.update(0.5f);
    expectVecNear(camera.position, flight.expected, 1e-4f);
}

// Looking down -z, the side vector is +x; tilted fronts still give a unit side.
INSTANTIATE_TEST_SUITE_P(
    Keys, CameraFlight,
    testing::Values(
        FlightCase{"W", {GLFW_KEY_W}, {0, 0, -1}, {0, 2, -10}},
        FlightCase{"S", {GLFW_KEY_S}, {0, 0, -1}, {0, 2, 20}},
        FlightCase{"A", {GLFW_KEY_A}, {0, 0, -1}, {-15, 2, 5}},
        FlightCase{"D", {GLFW_KEY_D}, {0, 0, -1}, {15, 2, 5}},
        FlightCase{"Q", {GLFW_KEY_Q}, {0, 0, -1}, {0, 17, 5}},
        FlightCase{"E", {GLFW_KEY_E}, {0, 0, -1}, {0, -13, 5}},
        FlightCase{"DownhillD", {GLFW_KEY_D}, {0.9238795f, -0.3826834f, 0}, {0, 2, 20}},
        FlightCase{
            "DownhillW", {GLFW_KEY_W}, {0.9238795f, -0.3826834f, 0}, {13.858193f, -3.740251f, 5}},
        FlightCase{"AllSix",
                   {GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D, GLFW_KEY_Q, GLFW_KEY_E},
                   {0.6f, 0, 0.8f},
                   {0, 2, 5}},
        FlightCase{"WAndD", {GLFW_KEY_W, GLFW_KEY_D}, {0.6f, 0, 0.8f}, {-3, 2, 26}}),
    [](const testing::TestParamInfo<FlightCase>& info) { return std::string(info.param.name); });

TEST_F(CameraMath, KeysDoNothingOutsideGodMode) {
    for (int key : {GLFW_KEY_W, GLFW_KEY_A, GLFW_KEY_Q}) {
        camera.keys[std::size_t(key)] = true;
    }
    camera.update(1.0f);
    expectVecNear(camera.position, glm::vec3(0, 2, 5), 0.0f);

    gameSettings.godMode = true;
    camera.update(1.0f);
    EXPECT_GT(glm::length(camera.position - glm::vec3(0, 2, 5)), 30.0f);
}

TEST_F(CameraMath, FlightFeedsTheViewOfTheSameUpdate) {
    camera.windowWidth = 1200;
    camera.windowHeight = 800;
    gameSettings.godMode = true;
    camera.keys[GLFW_KEY_W] = true;
    camera.update(0.1f); // three units forward, to (0, 2, 2)
    const glm::vec4 eye = camera.view * glm::vec4(0, 2, 2, 1);
    expectVecNear(glm::vec3(eye), glm::vec3(0.0f), 1e-5f);
}
