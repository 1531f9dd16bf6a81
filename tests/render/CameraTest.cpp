// The camera's view and projection, and god-mode flight.
#include "render/Camera.h"
#include "app/GameSettings.h"
#include "tests/render/RenderFixture.h"

#include <GLFW/glfw3.h>

#include <string>
#include <utility>
#include <vector>

using pizzeria::app::gameSettings;
using pizzeria::app::GameSettings;
using pizzeria::render::Camera;
using rendertest::matricesNear;

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

class CameraMath : public testing::Test {
protected:
    void SetUp() override { gameSettings = GameSettings{}; }
    void TearDown() override { gameSettings = GameSettings{}; }

    // No window: the size is set by hand, as a window would report it.
    Camera camera{nullptr, nullptr};
};

struct FlightCase {
    const char* name;
    std::vector<int> keys;
    glm::vec3 front;
    glm::vec3 expected; // position after 0.5 s from (0, 2, 5)
};

class CameraFlight : public CameraMath, public testing::WithParamInterface<FlightCase> {};

} // namespace

TEST_F(CameraMath, ProjectionFollowsTheWindowShapeWithTheRadianFieldOfView) {
    for (const auto& [width, height] : {std::pair{1200, 800}, {1920, 1080}}) {
        camera.windowWidth = width;
        camera.windowHeight = height;
        camera.updateMatrices();
        EXPECT_TRUE(matricesNear(camera.projection, expectedProjection(float(width) / height)))
            << width << "x" << height;
        // The vertical field of view that results is 2 atan(tan 22.5), not 45 degrees.
        EXPECT_NEAR(2.0f * std::atan(1.0f / camera.projection[1][1]), 1.0177028f, 1e-6f);
    }
}

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
        EXPECT_LE(glm::distance(glm::vec3(eye), glm::vec3(0.0f)), 1e-5f);
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

// A minimised window reports 0 x 0; its aspect must not turn into NaNs.
TEST_F(CameraMath, ZeroSizedWindowKeepsTheLastProjection) {
    camera.windowWidth = 1200;
    camera.windowHeight = 800;
    camera.updateMatrices();
    for (const auto& [width, height] : {std::pair{0, 0}, {0, 800}, {1200, 0}}) {
        camera.windowWidth = width;
        camera.windowHeight = height;
        camera.position += glm::vec3(1, 0, 0);
        const glm::mat4 oldView = camera.view;
        camera.updateMatrices();
        EXPECT_TRUE(matricesNear(camera.projection, expectedProjection(1.5f)));
        EXPECT_NE(camera.view[3][0], oldView[3][0]) << "the view still follows the camera";
    }
}

TEST(CameraWindow, UpdateReadsTheWindowSize) {
    gameSettings = GameSettings{};
    const auto context = rendertest::openContext(1200, 800);
    ASSERT_TRUE(context) << "needs a display; tools/test.sh starts Xvfb";
    Camera camera(context->window, nullptr);
    camera.update(0.016f);
    EXPECT_TRUE(matricesNear(camera.projection, expectedProjection(1.5f)));
}

TEST_P(CameraFlight, HeldKeysMoveAtThirtyUnitsPerSecond) {
    const FlightCase& flight = GetParam();
    gameSettings.godMode = true;
    camera.front = flight.front;
    for (int key : flight.keys) {
        camera.keys[std::size_t(key)] = true;
    }
    camera.update(0.5f);
    EXPECT_LE(glm::distance(camera.position, flight.expected), 1e-4f);
}

// Looking down -z, the side vector is +x; tilted fronts still give a unit side.
INSTANTIATE_TEST_SUITE_P(
    Keys, CameraFlight,
    testing::Values(
        FlightCase{"A", {GLFW_KEY_A}, {0, 0, -1}, {-15, 2, 5}},
        FlightCase{"Q", {GLFW_KEY_Q}, {0, 0, -1}, {0, 17, 5}},
        FlightCase{"DownhillD", {GLFW_KEY_D}, {0.9238795f, -0.3826834f, 0}, {0, 2, 20}},
        FlightCase{
            "DownhillW", {GLFW_KEY_W}, {0.9238795f, -0.3826834f, 0}, {13.858193f, -3.740251f, 5}},
        FlightCase{"AllSix",
                   {GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D, GLFW_KEY_Q, GLFW_KEY_E},
                   {0.6f, 0, 0.8f},
                   {0, 2, 5}},
        FlightCase{"WAndD", {GLFW_KEY_W, GLFW_KEY_D}, {0.6f, 0, 0.8f}, {-3, 2, 26}}),
    [](const testing::TestParamInfo<FlightCase>& info) { return std::string(info.param.name); });

// Held keys move nothing outside god mode; inside it the view of the same
// update already looks from the new position.
TEST_F(CameraMath, FlightOnlyInGodModeAndTheViewFollowsAtOnce) {
    camera.windowWidth = 1200;
    camera.windowHeight = 800;
    camera.keys[GLFW_KEY_W] = true;
    camera.update(1.0f);
    EXPECT_LE(glm::distance(camera.position, glm::vec3(0, 2, 5)), 0.0f);

    gameSettings.godMode = true;
    camera.update(0.1f); // three units forward, to (0, 2, 2)
    const glm::vec4 eye = camera.view * glm::vec4(0, 2, 2, 1);
    EXPECT_LE(glm::distance(glm::vec3(eye), glm::vec3(0.0f)), 1e-5f);
}
