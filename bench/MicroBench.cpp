// Google Benchmark microbenchmarks of the CPU-side hot paths, on the real
// game at full population (it needs a display: run under tools/with-display.sh).
#include "bench/AllocationCounter.h"
#include "bench/Scenario.h"

#include "app/CollisionList.h"
#include "app/GameSettings.h"
#include "render/Renderer.h"

#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

namespace {

namespace b = pizzeria::bench;
using pizzeria::app::Game;

Game* game = nullptr;

// Allocations per iteration, as a counter beside the time.
class AllocationCounter {
public:
    explicit AllocationCounter(benchmark::State& state)
        : state(state), start(b::allocationCount.load()) {}
    ~AllocationCounter() {
        state.counters["allocs"] = benchmark::Counter(double(b::allocationCount.load() - start),
                                                      benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state;
    std::int64_t start;
};

// Every 30th update runs the collision check; `checkFrame` picks that one.
void updateAtFullPopulation(benchmark::State& state, bool checkFrame) {
    b::populate(*game);
    const int counterBefore = checkFrame ? pizzeria::app::CollisionChecker::interval - 1 : 0;
    AllocationCounter allocations(state);
    for (auto _ : state) {
        b::keepPlaying(*game);
        game->collisions->frameCounter = counterBefore;
        game->update(b::frameDt);
    }
    state.counters["ingredients"] = double(game->ingredients->live.size());
    state.counters["enemies"] = double(game->enemies->live.size());
}

void BM_UpdateFullPopulation(benchmark::State& state) {
    updateAtFullPopulation(state, false);
}
BENCHMARK(BM_UpdateFullPopulation)->Unit(benchmark::kMicrosecond);

void BM_UpdateCheckFrame(benchmark::State& state) {
    updateAtFullPopulation(state, true);
}
BENCHMARK(BM_UpdateCheckFrame)->Unit(benchmark::kMicrosecond);

// The check alone, on the list a full-population frame registers (state.range
// 0) or on every slot filled (1), cycling through the same objects.
void BM_CollisionCheck(benchmark::State& state) {
    b::populate(*game);
    namespace app = pizzeria::app;
    game->update(b::frameDt); // registers the population
    std::vector<pizzeria::scene::SceneObject*> listed(
        app::collisionList.begin(), app::collisionList.begin() + app::collisionCount);
    if (state.range(0) == 1) {
        for (std::size_t i = listed.size(); i < std::size_t(app::collisionListSize); ++i) {
            listed.push_back(listed[i % listed.size()]);
        }
    }
    AllocationCounter allocations(state);
    for (auto _ : state) {
        b::keepPlaying(*game);
        app::clearCollisionList();
        for (pizzeria::scene::SceneObject* object : listed) {
            app::registerCollision(object);
        }
        game->collisions->frameCounter = app::CollisionChecker::interval - 1;
        game->collisions->check();
    }
    state.counters["listed"] = double(listed.size());
}
BENCHMARK(BM_CollisionCheck)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_HeightAt(benchmark::State& state) {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> coordinate(-125.0f, 125.0f);
    std::vector<float> points(2048);
    for (float& p : points) {
        p = coordinate(random);
    }
    const auto& terrain = *game->terrain;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(terrain.heightAt(points[i], points[i + 1]));
        i = (i + 2) % points.size();
    }
}
BENCHMARK(BM_HeightAt);

void BM_BoundingBoxes(benchmark::State& state) {
    b::populate(*game);
    const pizzeria::scene::SceneObject* object = nullptr;
    switch (state.range(0)) {
    case 0:
        object = game->mainCharacter.get();
        break;
    case 1:
        object = game->ingredients->live.front().get();
        break;
    default:
        object = game->enemies->live.front().get();
        break;
    }
    AllocationCounter allocations(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(object->boundingBoxes());
    }
    state.SetLabel(state.range(0) == 0 ? "cook" : state.range(0) == 1 ? "ingredient" : "enemy");
}
BENCHMARK(BM_BoundingBoxes)->DenseRange(0, 2);

// The text pass as the frame runs it; range 1 also waits for the
// rasteriser, so the time includes drawing the glyphs.
void BM_HudText(benchmark::State& state) {
    b::populate(*game);
    game->update(b::frameDt); // fills the HUD texts
    pizzeria::app::gameSettings.showFps = true;
    AllocationCounter allocations(state);
    for (auto _ : state) {
        pizzeria::render::Shader* shader = game->renderer->useShader("text");
        game->hud->draw(*shader);
        game->renderer->endPass("text");
        if (state.range(0) == 1) {
            glFinish();
        }
    }
    if (state.range(0) == 0) {
        glFinish();
    }
    pizzeria::app::gameSettings.showFps = false;
}
BENCHMARK(BM_HudText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // Another build's run folder may be named, to compare two builds on one data set.
    const char* runDir = std::getenv("PIZZERIA_BENCH_RUN_DIR");
    b::enterRunFolder(runDir != nullptr ? runDir : PIZZERIA_RUN_DIR);
    game = &b::startGame();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::_Exit(0);
}
