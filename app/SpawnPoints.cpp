#include "app/SpawnPoints.h"

namespace pizzeria::app {

const std::array<glm::vec3, 14> spawnPoints = {{
    {-55.0f, 0.0f, -65.0f},
    {-70.0f, 0.0f, 0.0f},
    {-80.0f, 0.0f, 100.5f},
    {38.0f, 0.0f, 83.0f},
    {-25.0f, 0.0f, -100.0f},
    {75.0f, 0.0f, 50.0f},
    {30.0f, 0.0f, -33.0f},
    {98.0f, 0.0f, 30.0f},
    {59.0f, 0.0f, 111.0f},
    {43.5f, 0.0f, -70.0f},
    {44.0f, 0.0f, 27.0f},
    {25.0f, 0.0f, 30.0f},
    {-15.0f, 0.0f, -117.0f},
    {-60.0f, 0.0f, 78.0f},
}};

int spawnPointIndex = 0;

glm::vec3 takeSpawnPoint() {
    const int count = int(spawnPoints.size());
    // Wrap the running index itself so it can never overflow in a long game;
    // the sequence of points is the same.
    const int index = ((spawnPointIndex % count) + count) % count;
    spawnPointIndex = index + 1;
    return spawnPoints[std::size_t(index)];
}

} // namespace pizzeria::app
