// The ingredient and enemy managers: start, the enemy cap, the dying lists
// and who destroys what, and the pizza order.
#include "app/EnemyManager.h"
#include "app/IngredientManager.h"
#include "render/Shader.h"
#include "tests/population/PopulationFixture.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

using namespace pizzeria;
using app::EnemyManager;
using app::IngredientManager;
using poptest::frame;

using Populations = poptest::World;

TEST_F(Populations, AGameStartsWithTheOrderAndOneOfEveryKind) {
    IngredientManager manager(terrain.get());
    std::vector<int> kinds = manager.order;
    ASSERT_GE(kinds.size(), 2u);
    ASSERT_LE(kinds.size(), 4u);
    for (int kind = 1; kind <= 8; ++kind) {
        kinds.push_back(kind);
    }
    manager.update(frame);
    std::vector<int> live;
    for (const auto& ingredient : manager.live) {
        live.push_back(ingredient->kind);
    }
    EXPECT_EQ(live, kinds);
}

TEST_F(Populations, ElevenEnemiesAtMostUntilTheHitOnesLeave) {
    EnemyManager manager(terrain.get());
    for (int i = 0; i < 11; ++i) {
        ASSERT_NE(manager.spawn(), nullptr);
    }
    EXPECT_EQ(manager.spawn(), nullptr);
    manager.hitAll();
    EXPECT_EQ(manager.spawn(), nullptr) << "hit enemies stay live until the next update";
    manager.update(glm::vec3(0.0f), frame);
    EXPECT_EQ(manager.dying.size(), 11u);
    EXPECT_NE(manager.spawn(), nullptr);
}

TEST_F(Populations, KnockedOutObjectsAreDrawnWhileDyingAndThenDestroyed) {
    render::Shader shader("Shader/shadowmap.vert", "Shader/shadowmap.frag");
    glUseProgram(shader.program);
    const GLint modelUniform = glGetUniformLocation(shader.program, "model");
    const glm::mat4 marker = glm::translate(glm::mat4(1.0f), glm::vec3(123.0f, 4.0f, 5.0f));
    // The watched object is drawn last, and its sentinel child after it.
    auto drawsWatched = [&](auto& manager) {
        glUniformMatrix4fv(modelUniform, 1, GL_FALSE, glm::value_ptr(glm::mat4(1.0f)));
        manager.draw(shader);
        glm::mat4 uploaded(0.0f);
        glGetUniformfv(shader.program, modelUniform, glm::value_ptr(uploaded));
        return uploaded == marker;
    };
    IngredientManager ingredients(terrain.get());
    EnemyManager enemies(terrain.get());
    int deaths[2] = {0, 0};
    scene::MoveAbleObject* watched[] = {ingredients.spawn(5), enemies.spawn()};
    for (int i = 0; i < 2; ++i) {
        auto* sentinel = new poptest::Sentinel(deaths[i]);
        sentinel->modelMatrix = marker;
        watched[i]->addChild(sentinel);
    }
    ingredients.update(frame);
    ingredients.order = {5, 2};
    watched[0]->hit();
    enemies.hitAll();
    auto step = [&](int which) {
        which == 0 ? ingredients.update(frame) : enemies.update(glm::vec3(0.0f), frame);
    };
    for (int which = 0; which < 2; ++which) {
        int frames = 0;
        float scale = 1.0f;
        for (step(which); deaths[which] == 0 && frames < 200; ++frames) {
            EXPECT_TRUE(which == 0 ? drawsWatched(ingredients) : drawsWatched(enemies));
            scale = glm::length(glm::vec3(watched[which]->modelMatrix[0]));
            step(which);
        }
        EXPECT_NEAR(frames, 120, 2) << "a 2 s hurt state";
        EXPECT_LT(scale, 0.5f) << "shrinks while dying";
        EXPECT_EQ(deaths[which], 1);
    }
    EXPECT_TRUE(ingredients.dying.empty() && enemies.dying.empty());
    EXPECT_FALSE(drawsWatched(ingredients) || drawsWatched(enemies));
    EXPECT_EQ(ingredients.order, std::vector<int>({2})) << "collected when it died";
    EXPECT_EQ(ingredients.rightHits, 1);
}

TEST_F(Populations, ManagersDestroyEveryObjectTheyStillHold) {
    int deaths = 0;
    {
        IngredientManager ingredients(terrain.get());
        EnemyManager enemies(terrain.get());
        ingredients.update(frame);
        scene::SceneObject* held[] = {ingredients.live[0].get(), ingredients.spawn(1),
                                      enemies.spawn()};
        for (scene::SceneObject* object : held) {
            object->addChild(new poptest::Sentinel(deaths));
        }
        ingredients.live[0]->hit();
        ingredients.update(frame); // one dying, one live, none pending
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 3);
}

TEST_F(Populations, OrdersAreCrossedOffOneEntryAtATime) {
    IngredientManager manager(terrain.get());
    manager.order = {1, 1, 2}; // bacon, bacon, corn
    EXPECT_EQ(manager.orderNames(), std::vector<std::string>({"bacon", "bacon", "corn"}));
    const std::size_t pendingBefore = manager.pending.size();
    const std::vector<std::pair<int, std::vector<int>>> steps = {
        {2, {1, 1}}, {6, {1, 1}}, {1, {1}}};
    for (const auto& [kind, left] : steps) {
        manager.collect(kind);
        EXPECT_EQ(manager.order, left) << "after collecting " << kind;
    }
    EXPECT_EQ(manager.rightHits, 2);
    EXPECT_EQ(manager.wrongHits, 1);

    manager.collect(1); // the last bacon completes the pizza
    EXPECT_EQ(manager.rightHits, 3);
    EXPECT_EQ(manager.pizzasCompleted, 1);
    ASSERT_GE(manager.order.size(), 2u);
    ASSERT_EQ(manager.pending.size(), pendingBefore + manager.order.size());
    for (std::size_t i = 0; i < manager.order.size(); ++i) {
        EXPECT_EQ(manager.pending[pendingBefore + i]->kind, manager.order[i]);
    }
}
