#pragma once

#include "app/CollisionChecker.h"
#include "app/EnemyManager.h"
#include "app/FrameClock.h"
#include "app/IngredientManager.h"
#include "app/StartupLoader.h"
#include "hud/Hud.h"
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
    // Releases the subsystems in a fixed order, then ends GLFW, which takes
    // the window and its context.
    ~Game();

    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Runs frames until the window is asked to close.
    void run();

    // One frame of play that took `frameSeconds` of real time: the world
    // advances by as many fixed steps as that time holds. Returns the steps.
    int advance(float frameSeconds);

    // One fixed step of the rules, `dt` seconds long.
    void update(float dt);

    // Play again: money, clock, lives, the order, both populations and the
    // music as a game starts them; the cook stays where he stands.
    void startNewRound();

    // The window's focus events: a loss that lasts focusGrace seconds pauses a
    // running game.
    void onFocusChanged(bool focused);

    // Follows a new framebuffer size: viewport, render targets, projection
    // and HUD layout. Sizes of zero (a minimised window) are ignored.
    void resize(int newWidth, int newHeight);

    // Places the camera and the drawn poses `share` of the way through the
    // last world step (0 its start, 1 its end) and gives the renderer the view.
    void placeFrame(float share);

    // The frame's render passes, in their fixed order, `share` of the way
    // through the last world step.
    void render(float share = 1.0f);

    int width = 1200;
    int height = 800;
    bool fullscreen = false;
    int refreshRate = 60;
    GLFWwindow* window = nullptr;
    render::Shader* currentShader = nullptr; // the program of the pass being drawn
    std::unique_ptr<render::Renderer> renderer;
    std::unique_ptr<scene::lighting::Lights> lights;
    std::unique_ptr<IngredientManager> ingredients;
    std::unique_ptr<EnemyManager> enemies;
    std::unique_ptr<hud::Hud> hud;
    std::unique_ptr<CollisionChecker> collisions;
    std::unique_ptr<render::Camera> camera;
    std::unique_ptr<scene::maincharacter::MainCharacter> mainCharacter;
    std::unique_ptr<scene::terrain::Terrain> terrain;
    std::unique_ptr<scene::skybox::SkyBox> skyBox;
    static constexpr float orderClockStart = 30.0f;
    static constexpr int moneyStart = 50;
    float timeLeft = orderClockStart;        // seconds on the order clock
    int shownSeconds = int(orderClockStart); // the whole second last seen on the clock
    int money = moneyStart;
    int enemySpawnInterval = 5;   // seconds between enemies once the clock ran out
    float enemySpawnTimer = 5.0f; // countdown to the next enemy
    int timeBonus = 20;           // seconds a completed pizza puts on the clock
    float penaltyRate = 0.25f;    // share of the money a wrong ingredient costs from 50 up
    FrameClock frameClock;
    float frameSeconds = 0.0f; // real length of the frame being played, for the frame-rate line
    int pizzasDelivered = 0;   // completed orders paid in this game
    std::unique_ptr<StartupLoader> loader; // reads files while the window opens
    static constexpr float focusGrace = 0.25f;
    bool windowFocused = true; // as the last focus event said
    float awayFor = 0.0f;      // real seconds since the focus went; negative once handled

private:
    void initWindow(int argc, char** argv);
    void adoptFramebufferSize();
    void readCommandLine(int argc, char** argv);
    void init();
    void keepPoses();
    void runClock(float dt);
    // A paused game out of sight draws nothing: it sleeps until an event
    // (or half a second) and says so.
    bool sleepWhileIconified();
    void runEnemyWaves(float dt);
    void payOrCharge();
    void showOnHud();
    void checkGameOver();
    // With a `volume`, only what it may see: the pass could draw nothing else.
    void drawPopulations(const render::ViewVolume* volume);
    void drawMiniMapMarks();
    void drawLitPass();
};

// The process-wide holder of the one Game; main fills and empties it.
extern std::unique_ptr<Game> game;

} // namespace pizzeria::app
