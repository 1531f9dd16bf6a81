#pragma once

#include "render/Shader.h"

#include <glm/glm.hpp>

#include <array>

struct GLFWwindow;

namespace pizzeria::render {

// The one camera: turns its position and viewing direction into the view and
// projection of each frame, and flies freely in god mode. The camera control
// places it; the game copies its matrices into the renderer.
class Camera {
public:
    // Keeps the window (for its size) and the default program.
    Camera(GLFWwindow* window, Shader* shader);

    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Reads the framebuffer size, flies in god mode, then rebuilds view and projection.
    void update(float dt);

    // God-mode flight: moves `position` by the held W, S, A, D, Q and E keys.
    void freeFly(float dt);

    // Rebuilds view and projection from the fields; a window of zero size
    // (minimised) keeps the last projection.
    void updateMatrices();

    GLFWwindow* window = nullptr;
    Shader* shader = nullptr; // kept for the game's sake, not read here
    float nearPlane = 0.1f;
    float farPlane = 500.0f;
    glm::vec3 position{0.0f, 2.0f, 5.0f};
    glm::vec3 front{0.0f, 0.0f, -1.0f}; // kept unit length by its writers
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    // The view looks this far above `front`, so a followed point sits low in the frame.
    static constexpr glm::vec3 viewLift{0.0f, 0.3f, 0.0f};
    float fov = 45.0f; // read as radians by the projection, see updateMatrices
    float freeFlySpeed = 30.0f;
    int windowWidth = 0;
    int windowHeight = 0;
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    std::array<bool, 1024> keys{}; // by GLFW key code, written by the key handler
};

} // namespace pizzeria::render
