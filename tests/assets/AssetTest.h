#pragma once

#include "app/GameSettings.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <glm/vec3.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <unistd.h>

// Readable vectors in failure messages.
namespace glm {
inline void PrintTo(const vec3& v, std::ostream* out) {
    *out << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
} // namespace glm

namespace assettest {

// Each test runs inside a fresh folder with a GL context current. Paths stay
// relative to that folder, so a death test's child, which builds its own
// folder, prints the same paths as the parent expects.
class AssetTest : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ASSERT_TRUE(context.ok()) << "needs a display; tools/test.sh starts Xvfb";
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
    }
    void TearDown() override {
        pizzeria::app::gameSettings = pizzeria::app::GameSettings{};
        if (!previous.empty()) {
            std::filesystem::current_path(previous);
        }
    }

    // Run first inside a death test's statement. Model and image messages go
    // to standard output, while death tests only see standard error, so the
    // dying child sends the one into the other. Its folder lies inside the
    // parent's temporary root, which the parent removes.
    void prepareToDie() { ::dup2(STDERR_FILENO, STDOUT_FILENO); }

    testsupport::GlContext context;
    testsupport::TempDir folder;
    std::filesystem::path previous;
};

} // namespace assettest
