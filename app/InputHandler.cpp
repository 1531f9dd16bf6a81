#include "app/InputHandler.h"

#include "app/GameSettings.h"
#include "app/Screenshot.h"
#include "render/Camera.h"
#include "scene/PoseBlend.h"
#include "scene/maincharacter/MainCharacter.h"
#include "scene/terrain/Terrain.h"
#include "sound/SoundManager.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace pizzeria::app {

std::unique_ptr<InputHandler> inputHandler;

namespace {

constexpr float degreesToRadians = 0.017453292f;
constexpr float twoPi = 6.2831855f;
constexpr float maxPitch = 1.553343f; // 89 degrees
constexpr float orbitMaxPitch = -0.1f;
constexpr float cameraClearance = 0.5f; // least height over the ground under the camera
constexpr float sightClearance = 0.3f;  // least height of the line of sight over the ground
constexpr float cookEyeLevel = 1.0f;    // the line of sight ends this far above the feet
constexpr int sightSamples = 8;         // ground samples along the line of sight

const char* onOff(bool on) {
    return on ? "on" : "off";
}

void say(const std::string& message) {
    std::cout << message << std::endl;
}

// Inverts `flag` and announces its new state as `label` + "on"/"off".
void toggle(bool& flag, const char* label) {
    flag = !flag;
    say(std::string(label) + onOff(flag));
}

void togglePolygonMode() {
    GLint mode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    if (mode[0] == GL_FILL) {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        say("GL_POLYGON_MODE set to GL_LINE");
    } else {
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        say("GL_POLYGON_MODE set to GL_FILL");
    }
}

} // namespace

InputHandler::InputHandler(GLFWwindow* window_, render::Shader* /*shader*/, render::Camera* camera_,
                           scene::maincharacter::MainCharacter* mainCharacter_)
    : window(window_), camera(camera_), mainCharacter(mainCharacter_) {
    if (camera != nullptr) {
        camera->front = glm::normalize(glm::vec3(std::cos(0.0f), std::sin(pitch), std::sin(0.0f)));
    }
}

void InputHandler::onKey(GLFWwindow* eventWindow, int key, int action) {
    if (key < 0 || key > 1023) {
        return;
    }
    if (action == GLFW_PRESS) {
        setKeyTables(key, true);
        onKeyPress(eventWindow, key);
    } else if (action == GLFW_RELEASE) {
        setKeyTables(key, false);
    }
}

// The tables follow each key's real state. Presses and releases need not
// alternate: GLFW releases every held key and button when the window loses
// focus and still passes the real release that follows, and a key held while
// the game starts brings a release alone.
void InputHandler::setKeyTables(int key, bool down) {
    const auto index = std::size_t(key);
    if (mainCharacter != nullptr) {
        mainCharacter->keys[index] = down;
    }
    if (camera != nullptr) {
        camera->keys[index] = down;
    }
}

void InputHandler::onMouseButton(int button, bool pressed) {
    if (mainCharacter != nullptr && button >= 0 && button < 1024) {
        mainCharacter->keys[std::size_t(button)] = pressed;
    }
}

void InputHandler::onKeyPress(GLFWwindow* eventWindow, int key) {
    GameSettings& s = gameSettings;
    switch (key) {
    case GLFW_KEY_ESCAPE:
        glfwSetWindowShouldClose(eventWindow, GLFW_TRUE);
        break;
    case GLFW_KEY_G:
        toggle(s.godMode, "GodMode ");
        yaw = 0.0f;
        break;
    case GLFW_KEY_F3:
        togglePolygonMode();
        break;
    case GLFW_KEY_B:
        s.blinnPhong = !s.blinnPhong;
        s.lightingChanged = true;
        say(std::string("lighting set to ") + (s.blinnPhong ? "blinn-phong" : "phong"));
        break;
    case GLFW_KEY_F6:
        toggle(s.ssaoEnabled, "SSAO ");
        break;
    case GLFW_KEY_F11:
        toggle(s.ssaoDebug, "SSAO debug ");
        break;
    case GLFW_KEY_F2:
        s.showFps = !s.showFps;
        break;
    case GLFW_KEY_F1:
        if (s.gameOver) {
            break; // nothing to pause or resume: Enter starts again
        }
        s.gameRunning = !s.gameRunning;
        say(std::string("game ") + (s.gameRunning ? "resumed" : "paused"));
        break;
    case GLFW_KEY_ENTER:
    case GLFW_KEY_KP_ENTER:
        if (s.gameOver) {
            s.newRoundRequested = true; // the frame loop starts it before the next step
            say("new game");
        }
        break;
    case GLFW_KEY_F12:
        // The poll runs between the render and the swap: the back buffer holds
        // the picture about to be shown.
        // One picture a frame: a held-down or scripted F12 would otherwise
        // encode the same picture again and again within one poll.
        if (!screenshotTaken) {
            screenshotTaken = true;
            saveScreenshot(eventWindow);
        }
        break;
    case GLFW_KEY_F4: {
        static const char* const names[] = {"default setting", "TexQuality GL_LINEAR",
                                            "TexQuality GL_NEAREST"};
        s.texQuality = (s.texQuality + 1) % 3;
        s.texQualityChanged = true;
        say(names[s.texQuality]);
        break;
    }
    case GLFW_KEY_F5: {
        static const char* const names[] = {"no MipMapping", "MipMapping GL_LINEAR_MIPMAP_LINEAR",
                                            "MipMapping GL_NEAREST_MIPMAP_NEAREST"};
        s.mipmapMode = (s.mipmapMode + 1) % 3;
        s.mipmapChanged = true;
        say(names[s.mipmapMode]);
        break;
    }
    case GLFW_KEY_F10:
        toggle(s.celShading, "Cel Shading ");
        s.celShadingChanged = true;
        break;
    case GLFW_KEY_F9:
        toggle(s.blendingEnabled, "blending ");
        break;
    case GLFW_KEY_F8:
        toggle(s.cullingEnabled, "culling ");
        break;
    case GLFW_KEY_F7:
        toggle(s.shadowsEnabled, "shadows ");
        s.shadowsChanged = true;
        break;
    case GLFW_KEY_J:
        toggle(s.shadowsDebug, "shadows debug ");
        break;
    case GLFW_KEY_X:
        toggle(s.miniMapEnabled, "Mini Map ");
        break;
    case GLFW_KEY_M:
        // The sound player says what happened; no flag of ours is flipped.
        say(std::string("Sound ") + (sound::toggleSound() ? "off" : "on"));
        break;
    case GLFW_KEY_P:
        say(std::string("party Mode ") + (sound::togglePartyMode() ? "on" : "off"));
        break;
    default:
        break;
    }
}

void InputHandler::onWindowAway() {
    GameSettings& s = gameSettings;
    if (s.gameRunning && !s.gameOver) {
        s.gameRunning = false;
        say("game paused");
    }
}

void InputHandler::onMouseMove(double x, double y) {
    if (firstMouse) {
        firstMouse = false;
        lastX = float(x);
        lastY = float(y);
    }
    const float dx = float(x - double(lastX));
    const float dy = float(double(lastY) - y); // screen y grows downwards
    lastX = float(x);
    lastY = float(y);

    yaw += sensitivity * dx * degreesToRadians;
    yaw -= std::floor(yaw / twoPi) * twoPi;
    pitch += sensitivity * dy * degreesToRadians;
    // The orbiting camera stays above the cook; the free camera may look up.
    const float upperLimit = gameSettings.godMode ? maxPitch : orbitMaxPitch;
    if (pitch > upperLimit) {
        pitch = upperLimit;
    }
    if (pitch < -maxPitch) {
        pitch = -maxPitch;
    }
}

} // namespace pizzeria::app

namespace pizzeria::app {

void InputHandler::update(float dt) {
    eyeBeforeStep = camera->position;
    if (!gameSettings.godMode) {
        feetBeforeStep = mainCharacter->position;
        const float orbitBefore = orbitAngle();
        if (yaw != 0.0f) {
            yaw = mainCharacter->alignToCamera(yaw);
        }
        mainCharacter->update(dt);
        turnInStep = scene::shorterTurn(orbitAngle() - orbitBefore);
        follow(mainCharacter->position, orbitAngle());
    } else {
        camera->front = glm::normalize(glm::vec3(std::cos(yaw), std::sin(pitch), std::sin(yaw)));
    }
    camera->update(dt);
}

void InputHandler::placeCamera(float share) {
    share = std::clamp(share, 0.0f, 1.0f);
    if (!gameSettings.godMode) {
        const glm::vec3 feet = glm::mix(feetBeforeStep, mainCharacter->position, share);
        follow(feet, orbitAngle() - (1.0f - share) * turnInStep);
        camera->updateMatrices();
        return;
    }
    // The free camera: the view turns with the mouse now, the flight is drawn
    // part of the way through its last step.
    const glm::vec3 stepped = camera->position;
    camera->front = glm::normalize(glm::vec3(std::cos(yaw), std::sin(pitch), std::sin(yaw)));
    camera->position = glm::mix(eyeBeforeStep, stepped, share);
    camera->updateMatrices();
    camera->position = stepped;
}

float InputHandler::orbitAngle() const {
    return mainCharacter->yaw - yaw;
}

// The camera orbits a point `orbitLift` over the cook's feet at `orbitAngle`,
// `distance` away and above it, and looks over his head at the ground
// `aimAhead` in front of him: the player sees where he walks, and the cook.
void InputHandler::follow(const glm::vec3& feet, float angle) {
    const glm::vec3 pivot = feet + glm::vec3(0.0f, orbitLift, 0.0f);
    const float h = std::cos(pitch) * distance;
    camera->position =
        glm::vec3(pivot.x - std::sin(angle) * h, pivot.y - std::sin(pitch) * distance,
                  pivot.z - std::cos(angle) * h);
    keepCameraAboveGround(feet);
    const glm::vec3 ahead(std::sin(angle), 0.0f, std::cos(angle));
    aimAt(feet + ahead * aimAhead);
}

// The camera's view looks a fixed lift above `front`; the front is chosen so
// that the view passes through `target`.
void InputHandler::aimAt(const glm::vec3& target) {
    const glm::vec3 toTarget = target - camera->position;
    if (!(glm::length(toTarget) > 1e-4f)) {
        return;
    }
    const glm::vec3 d = glm::normalize(toTarget);
    const glm::vec3 lift = render::Camera::viewLift;
    // |k d - lift| = 1, the larger root: front = k d - lift keeps unit length.
    const float along = glm::dot(d, lift);
    const float k = along + std::sqrt(along * along + 1.0f - glm::dot(lift, lift));
    camera->front = glm::normalize(k * d - lift);
}

// On a slope the orbit can reach into the hill behind the cook, and a crest
// between them can hide him: the camera rises until the ground under it and
// under the line of sight to the cook is clear.
void InputHandler::keepCameraAboveGround(const glm::vec3& feet) {
    const scene::terrain::Terrain* ground = mainCharacter->terrain;
    if (ground == nullptr) {
        return;
    }
    glm::vec3& eye = camera->position;
    const glm::vec3 cook = feet + glm::vec3(0.0f, cookEyeLevel, 0.0f);
    float lowest = ground->heightAt(eye.x, eye.z) + cameraClearance;
    for (int k = 1; k < sightSamples; ++k) {
        // The line from the cook to the eye, a fraction t of the way out.
        const float t = float(k) / float(sightSamples);
        const float groundThere =
            ground->heightAt(cook.x + (eye.x - cook.x) * t, cook.z + (eye.z - cook.z) * t);
        lowest = std::max(lowest, cook.y + (groundThere + sightClearance - cook.y) / t);
    }
    eye.y = std::max(eye.y, lowest);
}

} // namespace pizzeria::app
