// The window events reaching the cook and the camera through the input
// handler, and the camera orbiting behind the cook.
#include "app/GameSettings.h"
#include "app/InputHandler.h"
#include "render/Camera.h"
#include "tests/scene/CookFixture.h"

#include <GLFW/glfw3.h>

using pizzeria::app::gameSettings;
using pizzeria::app::GameSettings;
using pizzeria::app::InputHandler;
using pizzeria::render::Camera;

namespace {

class CookControl : public scenetest::CookTest {
protected:
    void SetUp() override {
        CookTest::SetUp();
        gameSettings = GameSettings{};
        terrain = world.make(8, 8, [](int, int) { return 40; });
        cook = standingCook(terrain.get());
        handler = std::make_unique<InputHandler>(nullptr, nullptr, &camera, cook.get());
    }
    void TearDown() override {
        gameSettings = GameSettings{};
        CookTest::TearDown();
    }

    std::unique_ptr<pizzeria::scene::terrain::Terrain> terrain;
    std::unique_ptr<pizzeria::scene::maincharacter::MainCharacter> cook;
    Camera camera{nullptr, nullptr};
    std::unique_ptr<InputHandler> handler;
};

} // namespace

TEST_F(CookControl, KeysAreDownBetweenPressAndRelease) {
    handler->onKey(nullptr, GLFW_KEY_W, GLFW_PRESS);
    EXPECT_TRUE(cook->keys[GLFW_KEY_W]);
    EXPECT_TRUE(camera.keys[GLFW_KEY_W]);
    handler->onKey(nullptr, GLFW_KEY_W, GLFW_REPEAT);
    EXPECT_TRUE(cook->keys[GLFW_KEY_W]);
    handler->onKey(nullptr, GLFW_KEY_W, GLFW_RELEASE);
    EXPECT_FALSE(cook->keys[GLFW_KEY_W]);
    EXPECT_FALSE(camera.keys[GLFW_KEY_W]);
}

TEST_F(CookControl, AReleaseWithoutAPressLeavesTheKeyDown) {
    // A key held while the game starts delivers only its release.
    handler->onKey(nullptr, GLFW_KEY_D, GLFW_RELEASE);
    EXPECT_TRUE(cook->keys[GLFW_KEY_D]);
    EXPECT_TRUE(camera.keys[GLFW_KEY_D]);
}

TEST_F(CookControl, MouseButtonsReachOnlyTheCookAndSayNothing) {
    testing::internal::CaptureStdout();
    handler->onMouseButton(0);
    EXPECT_TRUE(cook->keys[0]);
    handler->onMouseButton(0);
    EXPECT_FALSE(cook->keys[0]);
    handler->onMouseButton(7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    for (bool down : camera.keys) {
        ASSERT_FALSE(down);
    }
}

TEST_F(CookControl, TheCameraOrbitsSevenUnitsBehindAndAboveTheCook) {
    handler->update(frame);
    const glm::vec3 p = cook->position;
    EXPECT_NEAR(glm::distance(camera.position, p), 7.0f, 1e-3);
    EXPECT_GT(camera.position.y, p.y);
    EXPECT_NEAR(glm::length(glm::normalize(p - camera.position) - camera.front), 0.0f, 1e-5);
    // Behind: the cook walks along his own +z, away from the camera.
    const glm::vec3 ahead = glm::vec3(cook->modelMatrix[2]);
    EXPECT_GT(glm::dot(glm::vec2(ahead.x, ahead.z), glm::vec2(camera.front.x, camera.front.z)),
              0.0f);
}

TEST_F(CookControl, AMouseTurnIsTakenOverByTheCookOnlyWhileHeWalks) {
    handler->onMouseMove(0.0, 0.0);
    handler->onMouseMove(100.0, 0.0); // 7 degrees
    const float yaw = cook->yaw;
    handler->update(frame);
    EXPECT_NEAR(handler->yaw, 7.0f * 0.017453292f, 1e-5) << "standing: the turn stays pending";
    EXPECT_EQ(cook->yaw, yaw);

    cook->keys[GLFW_KEY_W] = true;
    handler->update(frame);
    EXPECT_EQ(handler->yaw, 0.0f);
    EXPECT_NEAR(cook->yaw, pizzeria::scene::wrapAngle(yaw - 7.0f * 0.017453292f), 1e-4);
}

TEST_F(CookControl, InGodModeTheCookStandsStillAndTheCameraLooksAlongYawAndPitch) {
    gameSettings.godMode = true;
    cook->keys[GLFW_KEY_W] = true;
    const glm::mat4 before = cook->modelMatrix;
    handler->yaw = 0.5f;
    handler->update(frame);
    EXPECT_EQ(cook->modelMatrix, before);
    const glm::vec3 expected =
        glm::normalize(glm::vec3(std::cos(0.5f), std::sin(handler->pitch), std::sin(0.5f)));
    EXPECT_NEAR(glm::length(camera.front - expected), 0.0f, 1e-5);
}
