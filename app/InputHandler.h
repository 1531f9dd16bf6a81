#pragma once

#include <memory>

struct GLFWwindow;

namespace pizzeria::app {

// Turns window events into game state: the feature keys switch
// GameSettings and announce the new state on stdout, the mouse turns the
// view. Its handlers run only inside the frame loop's event poll.
class InputHandler {
public:
    explicit InputHandler(GLFWwindow* window);

    // Key callback: GLFW key code and action. Codes outside 0..1023 and
    // repeats are ignored; presses run the key's entry of the key table.
    void onKey(GLFWwindow* window, int key, int action);

    // Cursor callback: the first event only records the position.
    void onMouseMove(double x, double y);

    GLFWwindow* window = nullptr;
    float yaw = 0.0f;             // radians not yet handed to the cook
    float pitch = -0.3926991f;    // radians, negative looks down
    float lastX = 0.0f;
    float lastY = 0.0f;
    bool firstMouse = true;
    float distance = 7.0f;        // camera to cook
    float sensitivity = 0.07f;    // degrees per pixel

private:
    void onKeyPress(GLFWwindow* window, int key);
};

// The process-wide holder; the window callbacks reach the handler through it.
extern std::unique_ptr<InputHandler> inputHandler;

} // namespace pizzeria::app
