// Which boxes a pass may skip: only those wholly beyond one side of what it
// draws into.
#include "render/ViewVolume.h"

#include <gtest/gtest.h>

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

using pizzeria::render::ViewVolume;

namespace {

// A camera at the origin looking down -z, 90 degrees wide, 1 to 100 deep.
ViewVolume camera() {
    ViewVolume volume;
    volume.clip = glm::perspective(glm::half_pi<float>(), 1.0f, 1.0f, 100.0f);
    return volume;
}

struct BoxCase {
    const char* name;
    glm::vec3 at; // the unit box's centre
    bool seen;
};

} // namespace

TEST(ViewVolume, SkipsOnlyBoxesWhollyBeyondOneSide) {
    const BoxCase cases[] = {
        {"ahead", {0, 0, -10}, true},
        {"behind", {0, 0, 10}, false},
        {"nearer than the near plane", {0, 0, -0.2f}, false},
        {"across the near plane", {0, 0, -1}, true},
        {"beyond the far plane", {0, 0, -150}, false},
        {"left, outside", {-30, 0, -10}, false},
        {"across the left edge", {-10, 0, -10}, true},
        {"above, outside", {0, 30, -10}, false},
    };
    const ViewVolume volume = camera();
    for (const BoxCase& c : cases) {
        const glm::mat4 placed = glm::translate(glm::mat4(1.0f), c.at);
        EXPECT_EQ(volume.maySee(glm::vec3(-0.5f), glm::vec3(0.5f), placed), c.seen) << c.name;
    }
    // A rod across the top left corner, outside the view: one end beyond
    // the left side, the other beyond the top, so no one side has it all.
    // It is kept; the test promises no more.
    const glm::mat4 rod = glm::rotate(glm::translate(glm::mat4(1.0f), {-11, 11, -10}),
                                      glm::quarter_pi<float>(), glm::vec3(0, 0, 1));
    EXPECT_TRUE(volume.maySee(glm::vec3(-2.0f, -0.1f, -0.1f), glm::vec3(2.0f, 0.1f, 0.1f), rod));
}

TEST(ViewVolume, AScissoredPartSkipsWhatLiesBesideIt) {
    ViewVolume right = camera();
    right.low = {0.0f, -1.0f}; // the right half only
    const auto seen = [&](glm::vec3 at) {
        return right.maySee(glm::vec3(-0.5f), glm::vec3(0.5f), glm::translate(glm::mat4(1.0f), at));
    };
    EXPECT_TRUE(seen({5, 0, -10}));
    EXPECT_FALSE(seen({-5, 0, -10}));
    EXPECT_TRUE(seen({0, 0, -10})) << "across the middle";
    // The model's own matrix places and scales the box.
    const glm::mat4 stretched =
        glm::scale(glm::translate(glm::mat4(1.0f), {-5, 0, -10}), glm::vec3(12, 1, 1));
    EXPECT_TRUE(right.maySee(glm::vec3(-0.5f), glm::vec3(0.5f), stretched));
}
