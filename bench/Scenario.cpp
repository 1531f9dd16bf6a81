#include "bench/Scenario.h"

#include "app/GameSettings.h"
#include "app/InputHandler.h"
#include "app/SpawnPoints.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <sys/resource.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace pizzeria::bench {

void enterRunFolder(const std::string& dir) {
    std::filesystem::current_path(dir);
}

app::Game& startGame() {
    char name[] = "pizzeria";
    char* argv[] = {name, nullptr};
    app::game = std::make_unique<app::Game>(1, argv);
    return *app::game;
}

void populate(app::Game& game) {
    std::srand(1);
    app::spawnPointIndex = 0;
    game.ingredients = std::make_unique<app::IngredientManager>(game.terrain.get());
    game.enemies = std::make_unique<app::EnemyManager>(game.terrain.get());
    game.collisions = std::make_unique<app::CollisionChecker>();
    keepPlaying(game);
    refill(game);
    game.update(frameDt); // brings the pending ingredients into play
}

void keepPlaying(app::Game& game) {
    app::gameSettings.gameRunning = true;
    game.hud->playing = true;
    game.mainCharacter->lives = 3;
    game.money = std::max(game.money, 1000);
    if (game.timeLeft < 2.0f) {
        game.timeLeft = 30.0f;
        game.shownSeconds = 30;
    }
}

void refill(app::Game& game) {
    auto& ingredients = *game.ingredients;
    while (ingredients.live.size() + ingredients.pending.size() < ingredientCap) {
        ingredients.spawn(ingredients.allKinds[std::size_t(std::rand() % 8)]);
    }
    while (game.enemies->live.size() < enemyCap) {
        game.enemies->spawn();
    }
}

void scriptedInput(app::Game& game, int frame) {
    game.mainCharacter->keys[GLFW_KEY_W] = true;
    // 6 pixels a frame turn him a full circle in about 860 frames.
    app::inputHandler->onMouseMove(double(frame) * 6.0, 400.0);
    const int phase = frame % 45;
    if (phase == 0 || phase == 4) {
        app::inputHandler->onMouseButton(GLFW_MOUSE_BUTTON_LEFT, phase == 0);
    }
}

void apply(const Configuration& configuration) {
    app::GameSettings& settings = app::gameSettings;
    settings.shadowsEnabled = configuration.shadows;
    settings.shadowsChanged = true;
    settings.ssaoEnabled = configuration.ssao;
    settings.celShading = configuration.celShading;
    settings.celShadingChanged = true;
    settings.miniMapEnabled = configuration.miniMap;
    glPolygonMode(GL_FRONT_AND_BACK, configuration.wireframe ? GL_LINE : GL_FILL);
}

std::int64_t wallNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t cpuNanos() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return std::int64_t(usage.ru_maxrss) * 1024;
}

} // namespace pizzeria::bench
