#pragma once

// A flat world with GL, the run folder's models and a sound engine that
// records the effects played.
#include "app/CollisionList.h"
#include "app/SpawnPoints.h"
#include "sound/SoundManager.h"
#include "tests/scene/TerrainFixture.h"
#include "tests/support/BuildPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace poptest {

constexpr float frame = 1.0f / 60.0f;

using scenetest::where;

// Counts its own destruction, which happens with the object it is attached to.
struct Sentinel : pizzeria::scene::SceneObject {
    explicit Sentinel(int& deaths) : deaths(deaths) {}
    ~Sentinel() override { ++deaths; }
    int& deaths;
};

// Records the effects played; is also every music track.
struct RecordingEngine final : pizzeria::sound::AudioEngine, pizzeria::sound::PlayingSound {
    explicit RecordingEngine(std::vector<std::string>& played) : played(played) {}
    void setMasterVolume(float) override {}
    PlayingSound* play2D(const std::string& path, bool, bool, bool track) override {
        return track ? this : (played.push_back(path), nullptr);
    }
    void setPaused(bool) override {}
    bool isPaused() const override { return true; }
    std::uint64_t framesPlayed() const override { return 0; }
    std::vector<std::string>& played;
};

class World : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(world.context.ok()) << "needs a display";
        terrain = world.make(8, 8, [](int, int) { return 64; }); // flat, 2 units high
        std::filesystem::current_path(testsupport::runDir());    // models load from here
        pizzeria::app::clearCollisionList();
        pizzeria::app::spawnPointIndex = 0;
        std::srand(7);
        pizzeria::sound::startSound(std::make_unique<RecordingEngine>(played));
    }
    void TearDown() override { pizzeria::sound::releaseSound(); }

    long timesPlayed(const std::string& file) const {
        return std::count(played.begin(), played.end(), "Sounds/" + file);
    }

    scenetest::TerrainWorld world;
    std::unique_ptr<pizzeria::scene::terrain::Terrain> terrain;
    std::vector<std::string> played;
};

} // namespace poptest
