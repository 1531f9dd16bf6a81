#pragma once

#include <glm/vec3.hpp>

#include <memory>

struct GLFWwindow;

namespace pizzeria::render {
class Camera;
class Shader;
} // namespace pizzeria::render

namespace pizzeria::scene::maincharacter {
class MainCharacter;
}

namespace pizzeria::app {

// Turns window events into game state and places the camera: keys fill the
// cook's and the camera's key tables, the feature keys switch GameSettings
// and announce the new state on stdout, the mouse turns the view, and every
// frame the camera orbits behind the cook (or flies free in god mode). Its
// handlers run only inside the frame loop's event poll.
class InputHandler {
public:
    // The shader is accepted for the game's sake and not used. The camera's
    // viewing direction starts looking down by the start pitch.
    InputHandler(GLFWwindow* window, render::Shader* shader, render::Camera* camera,
                 scene::maincharacter::MainCharacter* mainCharacter);

    // Key callback: GLFW key code and action. Codes outside 0..1023 and
    // repeats are ignored; a press sets the key in both key tables and runs
    // its entry of the key table, a release clears it.
    void onKey(GLFWwindow* window, int key, int action);

    // Mouse-button callback (press or release of a button below 1024): the
    // cook's key-table entry of the button follows it.
    void onMouseButton(int button, bool pressed);

    // Cursor callback: the first event only records the position.
    void onMouseMove(double x, double y);

    // Focus loss and iconify callbacks: a running game pauses as F1 pauses
    // it, and waits for F1, so nobody loses money while away.
    void onWindowAway();

    // Once per world step, also while paused: hands the mouse turn to the
    // walking cook, updates him and places the camera behind him; in god mode
    // only aims the free camera. Then the camera builds its matrices.
    void update(float dt);

    // Before each frame is drawn: places the camera `share` of the way through
    // the last world step (1 is where the step left it), with the view turned
    // by every mouse move so far, and builds its matrices.
    void placeCamera(float share);

    GLFWwindow* window = nullptr;
    render::Camera* camera = nullptr;
    scene::maincharacter::MainCharacter* mainCharacter = nullptr;
    float yaw = 0.0f;          // radians not yet handed to the cook
    float pitch = -0.3926991f; // radians, negative looks down
    float lastX = 0.0f;
    float lastY = 0.0f;
    bool firstMouse = true;
    float distance = 7.0f;        // camera to cook
    float sensitivity = 0.07f;    // degrees per pixel
    float orbitLift = 3.5f;       // the orbit's centre over the cook's feet
    float aimAhead = 10.0f;       // the camera looks at the ground this far before him
    bool screenshotTaken = false; // of the frame shown; cleared as each frame is drawn

private:
    void onKeyPress(GLFWwindow* window, int key);
    void setKeyTables(int key, bool down);
    float orbitAngle() const;
    void follow(const glm::vec3& feet, float angle);
    void aimAt(const glm::vec3& target);
    void keepCameraAboveGround(const glm::vec3& feet);

    // Where the last world step started, for the frames drawn after it.
    glm::vec3 feetBeforeStep{0.0f};
    glm::vec3 eyeBeforeStep{0.0f};
    float turnInStep = 0.0f; // the orbit's turn in the last step, without the mouse
};

// The process-wide holder; the window callbacks reach the handler through it.
extern std::unique_ptr<InputHandler> inputHandler;

} // namespace pizzeria::app
