#pragma once

// The cook on a small terrain, with the game's generated models.
#include "scene/maincharacter/MainCharacter.h"
#include "tests/scene/TerrainFixture.h"
#include "tests/support/BuildPaths.h"

#include <filesystem>

namespace scenetest {

// A cook on a flat terrain, settled on the ground.
class CookTest : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        previous = std::filesystem::current_path();
        std::filesystem::current_path(testsupport::runDir()); // the models live there
        terrain = world.make(8, 8, [](int, int) { return 40; });
        cook = std::make_unique<pizzeria::scene::maincharacter::MainCharacter>(terrain.get());
        int still = 0;
        for (int i = 0; i < 1200 && still < 10; ++i) {
            const float y = cook->modelMatrix[3].y;
            cook->update(frame);
            still = cook->modelMatrix[3].y == y ? still + 1 : 0;
        }
        ASSERT_EQ(still, 10) << "the cook never came to rest";
    }
    void TearDown() override {
        if (!previous.empty()) {
            std::filesystem::current_path(previous);
        }
    }

    std::filesystem::path previous;
    std::unique_ptr<pizzeria::scene::terrain::Terrain> terrain;
    std::unique_ptr<pizzeria::scene::maincharacter::MainCharacter> cook;
};

} // namespace scenetest
