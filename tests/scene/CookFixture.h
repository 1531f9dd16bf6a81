#pragma once

// The cook on a small terrain, with the game's generated models.
#include "scene/maincharacter/MainCharacter.h"
#include "tests/scene/TerrainFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace scenetest {

class CookTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(world.context.ok()) << "needs a display";
        previous = std::filesystem::current_path();
        std::filesystem::current_path(PIZZERIA_RUN_DIR); // the models live there
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    // A cook on `terrain`, settled on the ground: after a landing he sinks
    // towards the ground in small steps until his height no longer changes.
    std::unique_ptr<pizzeria::scene::maincharacter::MainCharacter>
    standingCook(pizzeria::scene::terrain::Terrain* terrain) {
        auto cook = std::make_unique<pizzeria::scene::maincharacter::MainCharacter>(terrain);
        int still = 0;
        for (int i = 0; i < 1200 && still < 10; ++i) {
            const float y = cook->modelMatrix[3].y;
            cook->update(frame);
            still = cook->modelMatrix[3].y == y ? still + 1 : 0;
        }
        EXPECT_EQ(still, 10) << "the cook never came to rest";
        return cook;
    }

    static constexpr float frame = 1.0f / 60.0f;
    TerrainWorld world;
    std::filesystem::path previous;
};

inline glm::vec3 where(const pizzeria::scene::SceneObject& object) {
    return glm::vec3(object.modelMatrix[3]);
}

} // namespace scenetest
