#include "app/Game.h"

#include "app/CollisionList.h"
#include "app/Console.h"
#include "app/GameSettings.h"
#include "app/InputHandler.h"
#include "app/ModelCache.h"
#include "app/Screenshot.h"
#include "app/SpawnPoints.h"
#include "render/GlErrorGate.h"
#include "scene/enemies/Gangster.h"
#include "sound/SoundManager.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>

namespace pizzeria::app {

std::unique_ptr<Game> game;

namespace {

// Formatted extraction into `value`: leading white space is skipped and
// trailing characters are ignored, so "1024px" reads as 1024.
// The whole argument must be the value: "1e3" is no width of 1.
template <typename T> bool parseArgument(const char* text, T& value) {
    std::istringstream stream(text);
    T parsed{};
    stream >> parsed;
    if (stream.fail()) {
        return false;
    }
    stream >> std::ws;
    if (!stream.eof()) {
        return false;
    }
    value = parsed;
    return true;
}

// GLFW asserts on negative sizes, and beyond the largest viewport drivers
// accept X or the driver fail on their own; well before that, the window's
// render targets would take gigabytes. 8192 holds an 8K display.
constexpr int kLargestWindowSide = 8192;

bool windowSizePossible(int width, int height) {
    return width >= 1 && height >= 1 && width <= kLargestWindowSide && height <= kLargestWindowSide;
}

std::string windowSizeMessage(int width, int height, int largest) {
    return "ERROR: The window must be 1 to " + std::to_string(largest) + " pixels a side, not " +
           std::to_string(width) + " x " + std::to_string(height) + ".";
}

// What the driver can draw into: the viewport and every render target.
int largestDrawableSide() {
    GLint viewport[2] = {0, 0};
    GLint texture = 0;
    GLint renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    return std::min(
        {int(viewport[0]), int(viewport[1]), int(texture), int(renderbuffer), kLargestWindowSide});
}

[[noreturn]] void failArgument(const char* message) {
    std::cerr << message << std::endl;
    exitAfterPause(1);
}

void onKeyEvent(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    if (inputHandler) {
        inputHandler->onKey(window, key, action);
    }
}

void onFramebufferSizeEvent(GLFWwindow* window, int width, int height) {
    if (auto* owner = static_cast<Game*>(glfwGetWindowUserPointer(window))) {
        owner->resize(width, height);
    }
}

void onFocusEvent(GLFWwindow* window, int focused) {
    if (auto* owner = static_cast<Game*>(glfwGetWindowUserPointer(window))) {
        owner->onFocusChanged(focused == GLFW_TRUE);
    }
}

void onIconifyEvent(GLFWwindow* /*window*/, int iconified) {
    if (iconified == GLFW_TRUE && inputHandler) {
        inputHandler->onWindowAway();
    }
}

void onCursorEvent(GLFWwindow* /*window*/, double x, double y) {
    if (inputHandler) {
        inputHandler->onMouseMove(x, y);
    }
}

void onMouseButtonEvent(GLFWwindow* /*window*/, int button, int action, int /*mods*/) {
    if (button < 0 || button >= 1024 || (action != GLFW_PRESS && action != GLFW_RELEASE)) {
        return;
    }
    if (inputHandler) {
        inputHandler->onMouseButton(button, action == GLFW_PRESS);
    }
}

// The last GLFW error, to tell a driver without OpenGL 3.3 core from other
// window failures.
int lastGlfwError = 0;

// GLFW's own description says why a window or context failed (no display, no
// OpenGL 3.3), which our one-line start-up errors cannot.
void onGlfwError(int code, const char* description) {
    lastGlfwError = code;
    std::cerr << "GLFW error: " << (description != nullptr ? description : "unknown") << std::endl;
}

// Players without a GPU driver get Mesa's or Microsoft's CPU rasteriser
// silently; one line explains the low frame rate.
void reportSoftwareRenderer() {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (renderer == nullptr) {
        return;
    }
    static const char* const softwareNames[] = {"llvmpipe",
                                                "softpipe",
                                                "lavapipe",
                                                "Software Rasterizer",
                                                "Basic Render Driver",
                                                "Apple Software Renderer"};
    for (const char* name : softwareNames) {
        if (std::strstr(renderer, name) != nullptr) {
            std::cout << "OpenGL renderer \"" << renderer
                      << "\" is a software rasteriser: expect a low frame rate" << std::endl;
            return;
        }
    }
}

} // namespace

Game::Game(int argc, char** argv) {
    initWindow(argc, argv);
}

void Game::initWindow(int argc, char** argv) {
    glfwSetErrorCallback(onGlfwError);
    if (!glfwInit()) {
        std::cerr << "ERROR: Could not init glfw." << std::endl;
        exitAfterPause(1);
    }
    readCommandLine(argc, argv);
    // Files and sounds are read from here on, while the window and the
    // context take their time.
    if (StartupLoader::enabled) {
        loader = std::make_unique<StartupLoader>(height);
    }

    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    render::hintGlErrorGate();
    GLFWmonitor* monitor = nullptr;
    if (fullscreen) {
        monitor = glfwGetPrimaryMonitor();
        glfwWindowHint(GLFW_REFRESH_RATE, refreshRate);
    }
    // The command line has kept the size within what GLFW and X accept.
    window = glfwCreateWindow(width, height, "Pizzeria", monitor, nullptr);
    if (window == nullptr) {
        std::cerr << "ERROR: Could not open window." << std::endl;
        if (lastGlfwError == GLFW_VERSION_UNAVAILABLE || lastGlfwError == GLFW_API_UNAVAILABLE) {
            std::cerr << "ERROR: The game needs OpenGL 3.3 (core profile), which this driver "
                         "does not offer."
                      << std::endl;
        }
        glfwTerminate();
        exitAfterPause(1);
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(1); // the display's pace is plenty; the world steps on its own clock
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
    // Unaccelerated motion where the platform has it: mouse look then ignores
    // the desktop's pointer acceleration.
    if (glfwRawMouseMotionSupported()) {
        glfwSetInputMode(window, GLFW_RAW_MOUSE_MOTION, GLFW_TRUE);
    }

    glewExperimental = GL_TRUE;
    const GLenum glewStatus = glewInit();
    if (glewStatus != GLEW_OK) {
        std::cerr << "ERROR: Could not initialize glew." << std::endl;
        std::cerr << reinterpret_cast<const char*>(glewGetErrorString(glewStatus)) << std::endl;
        exitAfterPause(-1);
    }
    render::startGlErrorGate();

    glfwSetKeyCallback(window, onKeyEvent);
    glfwSetCursorPosCallback(window, onCursorEvent);
    glfwSetMouseButtonCallback(window, onMouseButtonEvent);
    glfwSetWindowUserPointer(window, this);
    glfwSetFramebufferSizeCallback(window, onFramebufferSizeEvent);
    glfwSetWindowFocusCallback(window, onFocusEvent);
    glfwSetWindowIconifyCallback(window, onIconifyEvent);

    adoptFramebufferSize();
    // Checked before any render target is made: a target the driver cannot
    // make would leave the game running on incomplete framebuffers.
    const int largest = largestDrawableSide();
    if (width > largest || height > largest) {
        std::cerr << windowSizeMessage(width, height, largest) << std::endl;
        glfwTerminate();
        exitAfterPause(1);
    }
    glClearColor(0.1f, 0.1f, 0.1f, 0.0f);
    glViewport(0, 0, width, height);
    init();
    // After the start-up messages, so a data error is still the first line.
    reportSoftwareRenderer();
}

// A full-screen mode the monitor lacks, or a window manager with its own
// idea, gives another size than the one asked for: draw for the one we got.
void Game::adoptFramebufferSize() {
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    if (framebufferWidth > 0 && framebufferHeight > 0) {
        width = framebufferWidth;
        height = framebufferHeight;
    }
}

void Game::resize(int newWidth, int newHeight) {
    if (newWidth <= 0 || newHeight <= 0 || (newWidth == width && newHeight == height)) {
        return;
    }
    width = newWidth;
    height = newHeight;
    glViewport(0, 0, width, height);
    if (renderer) {
        renderer->resize(width, height);
    }
    if (hud) {
        hud->resize(width, height);
    }
}

void Game::readCommandLine(int argc, char** argv) {
    // Width and height count only together; a lone first argument is ignored.
    if (argc >= 3) {
        if (!parseArgument(argv[1], width)) {
            failArgument("ERROR: Could not parse first command-line-argument as integer.");
        }
        if (!parseArgument(argv[2], height)) {
            failArgument("ERROR: Could not parse second command-line-argument as integer.");
        }
    }
    if (argc >= 4 && !parseArgument(argv[3], fullscreen)) {
        failArgument("ERROR: Could not parse third command-line-argument as boolean.");
    }
    if (argc >= 5 && !parseArgument(argv[4], refreshRate)) {
        failArgument("ERROR: Could not parse fourth command-line-argument as integer.");
    }
    if (!windowSizePossible(width, height)) {
        failArgument(windowSizeMessage(width, height, kLargestWindowSide).c_str());
    }
}

void Game::init() {
    std::srand(unsigned(std::time(nullptr)));
    spawnPointIndex = std::rand() % 14;
    glEnable(GL_DEPTH_TEST);
    terrain = std::make_unique<scene::terrain::Terrain>();
    skyBox = std::make_unique<scene::skybox::SkyBox>();
    mainCharacter = std::make_unique<scene::maincharacter::MainCharacter>(terrain.get());
    renderer = std::make_unique<render::Renderer>(width, height);
    // The terrain's square, from below its lowest point to well above what
    // stands or jumps on its highest.
    const float half = terrain->size / 2.0f;
    renderer->receiversMin = glm::vec3(-half, -1.0f, -half);
    renderer->receiversMax = glm::vec3(half, float(terrain->heightScale) + 12.0f, half);
    lights = std::make_unique<scene::lighting::Lights>();
    ingredients = std::make_unique<IngredientManager>(terrain.get());
    enemies = std::make_unique<EnemyManager>(terrain.get());
    // Read now, not with the first gangster half a minute in: a file removed
    // or damaged while the game runs (an upgrade) can no longer end it.
    getModel(scene::enemies::Gangster::gangsterModel);
    hud = std::make_unique<hud::Hud>(width, height);
    collisions = std::make_unique<CollisionChecker>();
    currentShader = renderer->useShader("default");
    camera = std::make_unique<render::Camera>(window, currentShader);
    inputHandler =
        std::make_unique<InputHandler>(window, currentShader, camera.get(), mainCharacter.get());
    glEnable(GL_CLIP_DISTANCE0);
    glEnable(GL_CLIP_DISTANCE1);
    glEnable(GL_CLIP_DISTANCE2);
    sound::startSound();
    if (loader) {
        loader->finish();
        loader.reset();
    }
}

void Game::run() {
    // Double precision: a float clock loses the milliseconds after a few hours.
    double last = glfwGetTime();
    while (!glfwWindowShouldClose(window)) {
        if (const char* request = endRequest()) {
            std::cout << "closing on " << request << std::endl;
            break;
        }
        if (sleepWhileIconified()) {
            last = glfwGetTime(); // the sleep is no frame time
            continue;
        }
        const double now = glfwGetTime();
        const auto frame = float(now - last);
        last = now;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        advance(frame);
        render(float(frameClock.share()));
        glfwPollEvents();
        glfwSwapBuffers(window);
        if (glGetError() != GL_NO_ERROR) {
            std::cerr << "GL ERROR DETECTED!!!" << std::endl;
        }
    }
}

bool Game::sleepWhileIconified() {
    if (gameSettings.gameRunning || glfwGetWindowAttrib(window, GLFW_ICONIFIED) != GLFW_TRUE) {
        return false;
    }
    glfwWaitEventsTimeout(0.5);
    return true;
}

void Game::onFocusChanged(bool focused) {
    windowFocused = focused;
    awayFor = 0.0f;
}

int Game::advance(float frame) {
    if (gameSettings.newRoundRequested) {
        gameSettings.newRoundRequested = false;
        startNewRound();
    }
    // Focus moving between windows can leave for a moment and come straight
    // back (a focus handed over by a tool, a pointer passing); only a loss that
    // lasts pauses the game.
    if (!windowFocused && awayFor >= 0.0f) {
        awayFor += frame;
        if (awayFor >= focusGrace && inputHandler) {
            inputHandler->onWindowAway();
            awayFor = -1.0f; // once per loss
        }
    }
    frameSeconds = frame;
    const int steps = frameClock.advance(double(frame));
    for (int i = 0; i < steps; ++i) {
        update(float(FrameClock::step));
    }
    return steps;
}

void Game::startNewRound() {
    gameSettings.gameOver = false;
    gameSettings.gameRunning = true;
    timeLeft = orderClockStart;
    shownSeconds = int(orderClockStart);
    money = moneyStart;
    enemySpawnTimer = float(enemySpawnInterval);
    pizzasDelivered = 0;
    clearCollisionList(); // it still points at the old populations
    ingredients = std::make_unique<IngredientManager>(terrain.get());
    enemies = std::make_unique<EnemyManager>(terrain.get());
    collisions = std::make_unique<CollisionChecker>();
    mainCharacter->revive();
    hud->playing = true;
    showOnHud();
    sound::resumeMusic();
}

void Game::update(float dt) {
    clearCollisionList();
    keepPoses();
    inputHandler->update(dt);
    if (!gameSettings.gameRunning) {
        return; // paused or over: the cook still walks, nothing else moves
    }
    ingredients->update(dt);
    enemies->update(mainCharacter->position, dt);
    skyBox->update(dt);
    runClock(dt);
    runEnemyWaves(dt);
    payOrCharge();
    showOnHud();
    checkGameOver();
    collisions->check();
}

// Once per second of clock time: the frame rate, maybe a fresh ingredient,
// and once the clock has run out, a coin of the player's money.
void Game::runClock(float dt) {
    timeLeft -= dt;
    const float second = std::floor(timeLeft);
    if (second == float(shownSeconds)) {
        return;
    }
    shownSeconds = int(second);
    // The real rate, not the step's; a stall (a frame over a second, as after
    // a pause) or a frame too short to time keeps the last real figure.
    const int rate = hud::Hud::frameRate(frameSeconds);
    if (rate > 0 && rate < hud::Hud::maxFrameRate) {
        hud->setFps(rate);
    }
    if (std::rand() % 5 == 0 && ingredients->live.size() <= 20) {
        ingredients->spawn(ingredients->allKinds[std::size_t(std::rand() % 8)]);
    }
    if (shownSeconds < 1) {
        money -= 1;
    }
}

void Game::runEnemyWaves(float dt) {
    if (shownSeconds >= 1) {
        return;
    }
    enemySpawnTimer -= dt;
    if (enemySpawnTimer < 0.0f) {
        enemies->spawn();
        enemySpawnTimer = float(enemySpawnInterval);
    }
}

// At most one event a frame, right hits first: a finished pizza pays, puts
// time on the clock and strikes down every enemy; a wrong ingredient costs.
void Game::payOrCharge() {
    if (ingredients->rightHits > 0) {
        ingredients->rightHits -= 1;
        if (ingredients->pizzasCompleted > 0) {
            ingredients->pizzasCompleted -= 1;
            sound::playSound("moneySound.mp3");
            timeLeft = timeLeft >= 0.0f ? float(timeBonus) + timeLeft : float(timeBonus);
            money += 20 + std::rand() % 15;
            enemies->hitAll();
            ++pizzasDelivered;
        }
    } else if (ingredients->wrongHits > 0) {
        ingredients->wrongHits -= 1;
        const float penalty =
            money < 50 ? float(std::rand() % 20 + 10) : float(money) * penaltyRate;
        const float left = float(money) - penalty;
        money = left > 0.0f ? int(left) : 0;
        sound::playSound("hitWrong.mp3");
    }
}

void Game::showOnHud() {
    hud->setTime(std::max(timeLeft, 0.0f));
    hud->setMoney(money);
    hud->setLives(mainCharacter->lives);
    hud->setPizzaIngredients(ingredients->orderNames());
}

void Game::checkGameOver() {
    if (money >= 1 && mainCharacter->lives > 0) {
        return;
    }
    gameSettings.gameOver = true;
    sound::stopMusic();
    sound::playSound("gameOverSound.mp3");
    gameSettings.gameRunning = false;
    if (mainCharacter->lives > 0) {
        mainCharacter->lives = 1; // so the hit below shows his death
        mainCharacter->hit();
    }
    hud->playing = false;
}

// Frames fall between world steps: each shows every object and the camera
// the share of the last step that has passed in real time.
void Game::keepPoses() {
    mainCharacter->keepPose();
    for (const auto& list : {&ingredients->live, &ingredients->dying}) {
        for (const auto& ingredient : *list) {
            ingredient->keepPose();
        }
    }
    for (const auto& list : {&enemies->live, &enemies->dying}) {
        for (const auto& enemy : *list) {
            enemy->keepPose();
        }
    }
    skyBox->keepPose();
}

void Game::placeFrame(float share) {
    scene::SceneObject::drawShare = share;
    inputHandler->placeCamera(share);
    renderer->view = camera->view;
    renderer->projection = camera->projection;
    renderer->viewPosition = camera->position;
    renderer->viewDirection = camera->front;
}

void Game::render(float share) {
    placeFrame(share);
    if (gameSettings.shadowsEnabled) {
        currentShader = renderer->useShader("shadowmap");
        mainCharacter->draw(*currentShader);
        // Most of the population and the ground lies outside the part of the
        // map drawn, or outside the camera's view; their vertices would be
        // work for nothing.
        const render::ViewVolume shadowed = renderer->shadowVolume();
        drawPopulations(&shadowed);
        terrain->draw(*currentShader, &shadowed);
        renderer->endPass("shadowmap");
    }

    currentShader = renderer->useShader("miniMap");
    drawMiniMapMarks();
    renderer->endPass("miniMap");

    drawLitPass();

    if (gameSettings.ssaoEnabled) {
        currentShader = renderer->useShader("SSAOGeo");
        mainCharacter->draw(*currentShader);
        const render::ViewVolume seen = renderer->cameraVolume();
        drawPopulations(&seen);
        terrain->draw(*currentShader, &seen);
        renderer->endPass("SSAOGeo");
    }

    currentShader = renderer->useShader("text");
    hud->draw(*currentShader);
    renderer->endPass("text");

    renderer->drawMiniMap();

    gameSettings.texQualityChanged = false;
    gameSettings.mipmapChanged = false;
    inputHandler->screenshotTaken = false; // a new picture to take
}

// The map shows what each object is for the player: the cook as an arrow
// where he faces, ingredients on the order and off it, gangsters.
void Game::drawMiniMapMarks() {
    const render::Shader& map = *currentShader;
    using render::MapMark;
    const float share = scene::SceneObject::drawShare;
    const auto drawnAt = [share](const scene::SceneObject& object) {
        return glm::vec3(object.poseAt(share)[3]);
    };
    renderer->useMapColor(map, MapMark::Cook);
    mainCharacter->draw(map);
    const std::vector<int>& order = ingredients->order;
    for (const auto& ingredient : ingredients->live) {
        const bool wanted = std::find(order.begin(), order.end(), ingredient->kind) != order.end();
        const MapMark mark = wanted ? MapMark::Wanted : MapMark::Other;
        renderer->useMapColor(map, mark);
        ingredient->draw(map);
        renderer->drawMapMark(map, mark, drawnAt(*ingredient), 0.0f);
    }
    renderer->useMapColor(map, MapMark::Other);
    for (const auto& ingredient : ingredients->dying) {
        ingredient->draw(map); // shrinking away, no longer marked
    }
    renderer->useMapColor(map, MapMark::Enemy);
    for (const auto& enemy : enemies->live) {
        enemy->draw(map);
        renderer->drawMapMark(map, MapMark::Enemy, drawnAt(*enemy), 0.0f);
    }
    for (const auto& enemy : enemies->dying) {
        enemy->draw(map);
    }
    // Last, so that it lies over every other mark; turned as he is drawn.
    const glm::mat4 cook = mainCharacter->poseAt(share);
    renderer->drawMapMark(map, MapMark::Cook, glm::vec3(cook[3]), std::atan2(cook[2].x, cook[2].z));
}

void Game::drawPopulations(const render::ViewVolume* volume) {
    ingredients->draw(*currentShader, volume);
    enemies->draw(*currentShader, volume);
}

void Game::drawLitPass() {
    currentShader = renderer->useShader("default");
    scene::lighting::Light* moon = lights->first();
    // Ambient occlusion darkens the scene, so the moon's ambient is raised
    // for this upload alone.
    const glm::vec3 ambientBoost = gameSettings.ssaoEnabled ? glm::vec3(0.15f) : glm::vec3(0.0f);
    moon->ambient += ambientBoost;
    moon->setUniforms(*currentShader);
    moon->ambient -= ambientBoost;
    mainCharacter->draw(*currentShader);
    const render::ViewVolume seen = renderer->cameraVolume();
    drawPopulations(&seen);
    terrain->draw(*currentShader, &seen);
    skyBox->draw(*currentShader);

    currentShader = renderer->useShader("lighting");
    moon->draw(*currentShader);
    renderer->endPass("lighting");
    renderer->endPass("default");
}

Game::~Game() {
    finishScreenshots();
    loader.reset();
    inputHandler.reset();
    renderer.reset();
    lights.reset();
    ingredients.reset();
    enemies.reset();
    hud.reset();
    collisions.reset();
    camera.reset();
    mainCharacter.reset();
    terrain.reset();
    skyBox.reset();
    sound::releaseSound();
    // Last: releasing the renderer deletes GL programs, which needs the context.
    glfwTerminate();
}

} // namespace pizzeria::app
