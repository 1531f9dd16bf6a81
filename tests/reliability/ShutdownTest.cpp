// The game's shutdown, as main runs it, makes no OpenGL call once its context
// is gone: Mesa ignores such calls, other drivers may crash on them.
#include "app/Game.h"
#include "tests/support/WholeGame.h"

#include <GL/glew.h>
#include <GL/glx.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

int callsWithContext = 0;
int callsWithoutContext = 0;

// Swaps one of the entry points GLEW loaded (a global function pointer) for
// one that first notes whether a context is current. OpenGL 1.1's own
// functions are linked directly and cannot be swapped this way.
template <auto Slot> struct ContextCheck;

template <typename R, typename... A, R(GLAPIENTRY** Slot)(A...)> struct ContextCheck<Slot> {
    static inline R(GLAPIENTRY* real)(A...) = nullptr;

    static R GLAPIENTRY call(A... args) {
        ++(glXGetCurrentContext() != nullptr ? callsWithContext : callsWithoutContext);
        return real(args...);
    }

    static void install() {
        real = *Slot;
        *Slot = &call;
    }
};

} // namespace

TEST(Shutdown, MakesNoGlCallWithoutItsContext) {
    const auto previous = std::filesystem::current_path();
    std::unique_ptr<pizzeria::app::Game> game = testsupport::startGameInRunFolder();
    // What releasing GL objects and leaving a pass may call.
    ContextCheck<&glDeleteProgram>::install();
    ContextCheck<&glDeleteShader>::install();
    ContextCheck<&glDeleteBuffers>::install();
    ContextCheck<&glDeleteVertexArrays>::install();
    ContextCheck<&glDeleteFramebuffers>::install();
    ContextCheck<&glDeleteRenderbuffers>::install();
    ContextCheck<&glUseProgram>::install();
    ContextCheck<&glBindFramebuffer>::install();
    ContextCheck<&glBindVertexArray>::install();

    glfwSetWindowShouldClose(game->window, GLFW_TRUE); // Escape in the first frame
    game->run();
    game.reset();
    std::filesystem::current_path(previous);

    EXPECT_GT(callsWithContext, 0) << "the shutdown released nothing it was watched for";
    EXPECT_EQ(callsWithoutContext, 0);
}
