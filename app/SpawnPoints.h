#pragma once

#include <glm/vec3.hpp>

#include <array>

namespace pizzeria::app {

// The fourteen places where ingredients and enemies enter the world.
extern const std::array<glm::vec3, 14> spawnPoints;

// Running index into spawnPoints, shared by every kind of object: each
// placement takes spawnPoints[spawnPointIndex % 14] and advances it. Set to a
// random start by Game::init and never reset.
extern int spawnPointIndex;

// The next spawn point; advances spawnPointIndex.
glm::vec3 takeSpawnPoint();

} // namespace pizzeria::app
