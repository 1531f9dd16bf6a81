#pragma once

#include "render/Camera.h"
#include "render/Renderer.h"
#include "render/Shader.h"
#include "scene/lighting/Lights.h"
#include "scene/maincharacter/MainCharacter.h"
#include "scene/skybox/SkyBox.h"
#include "scene/terrain/Terrain.h"

#include <memory>

struct GLFWwindow;

namespace pizzeria::app {

// The application: opens the window, builds every subsystem, runs the frame
// loop and tears down in a fixed order. Exactly one exists, in `game`.
class Game {
public:
    // Reads the command line, opens the window and builds everything; any
    // start-up failure ends the process with its message.
    Game(int argc, char** argv);
    ~Game();

    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Runs frames until the window is asked to close, then ends GLFW.
    void run();

    // One frame of the rules, with the frame time in seconds.
    void update(float dt);

    // The frame's render passes, in their fixed order.
    void render();

    int width = 1200;
    int height = 800;
    bool fullscreen = false;
    int refreshRate = 60;
    GLFWwindow* window = nullptr;
    render::Shader* currentShader = nullptr; // the program of the pass being drawn
    std::unique_ptr<render::Renderer> renderer;
    std::unique_ptr<scene::lighting::Lights> lights;
    std::unique_ptr<render::Camera> camera;
    std::unique_ptr<scene::maincharacter::MainCharacter> mainCharacter;
    std::unique_ptr<scene::terrain::Terrain> terrain;
    std::unique_ptr<scene::skybox::SkyBox> skyBox;

private:
    void initWindow(int argc, char** argv);
    void readCommandLine(int argc, char** argv);
    void init();
    void drawLitPass();
};

// The process-wide holder of the one Game; main fills and empties it.
extern std::unique_ptr<Game> game;

} // namespace pizzeria::app
