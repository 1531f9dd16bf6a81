#include "render/Camera.h"

#include "app/GameSettings.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

namespace pizzeria::render {

Camera::Camera(GLFWwindow* window_, Shader* shader_) : window(window_), shader(shader_) {}

void Camera::update(float dt) {
    if (window != nullptr) {
        glfwGetFramebufferSize(window, &windowWidth, &windowHeight);
    }
    if (app::gameSettings.godMode) {
        freeFly(dt);
    }
    updateMatrices();
}

void Camera::freeFly(float dt) {
    const float velocity = dt * freeFlySpeed;
    const glm::vec3 side = glm::normalize(glm::cross(front, up));
    if (keys[GLFW_KEY_W]) {
        position += velocity * front;
    }
    if (keys[GLFW_KEY_S]) {
        position -= velocity * front;
    }
    if (keys[GLFW_KEY_A]) {
        position -= velocity * side;
    }
    if (keys[GLFW_KEY_D]) {
        position += velocity * side;
    }
    if (keys[GLFW_KEY_Q]) {
        position += velocity * up;
    }
    if (keys[GLFW_KEY_E]) {
        position -= velocity * up;
    }
}

void Camera::updateMatrices() {
    view = glm::lookAt(position, position + front + viewLift, up);

    // A minimised full-screen window reports 0 x 0; its aspect would divide by
    // zero, and nothing is seen anyway, so the last projection stays.
    if (windowWidth <= 0 || windowHeight <= 0) {
        return;
    }
    const float aspect = float(windowWidth) / float(windowHeight);
    // `fov` goes in as radians, not degrees: the half angle is 22.5 radians,
    // about 58.3 degrees of vertical view, which is what the game is tuned for.
    projection = glm::perspective(fov, aspect, nearPlane, farPlane);
}

} // namespace pizzeria::render
