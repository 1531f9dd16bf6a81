// The camera's projection: the field of view the game is tuned for, and a
// minimised window.
#include "render/Camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using pizzeria::render::Camera;

// A minimised window reports 0 x 0; its aspect must not turn into NaNs.
TEST(CameraProjection, KeepsItsFieldOfViewAndTheLastShapeWhenTheWindowIsMinimised) {
    Camera camera{nullptr, nullptr}; // no window: the size is set as one would report it
    camera.windowWidth = 1200;
    camera.windowHeight = 800;
    camera.updateMatrices();
    const glm::mat4 shown = camera.projection;
    // The field of view goes in as radians: 2 atan(tan 22.5) vertically.
    EXPECT_NEAR(2.0f * std::atan(1.0f / shown[1][1]), 1.0177028f, 1e-6f);
    EXPECT_NEAR(shown[1][1] / shown[0][0], 1.5f, 1e-6f);
    for (const auto& [width, height] : {std::pair{0, 0}, {0, 800}, {1200, 0}}) {
        camera.windowWidth = width;
        camera.windowHeight = height;
        camera.position += glm::vec3(1, 0, 0);
        const glm::mat4 oldView = camera.view;
        camera.updateMatrices();
        EXPECT_EQ(camera.projection, shown) << width << " x " << height;
        EXPECT_NE(camera.view[3][0], oldView[3][0]) << "the view still follows the camera";
    }
}
