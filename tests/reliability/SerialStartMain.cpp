// The game with every file read on the main thread, in start-up's order, as
// it was before the start-up workers: the reference that the damaged-file
// fuzzer (--same-as) holds the game's messages and exit codes against.
#include "app/Console.h"
#include "app/DisplayConnection.h"
#include "app/Game.h"
#include "app/StartupLoader.h"

#include <memory>

int main(int argc, char** argv) {
    using pizzeria::app::game;
    pizzeria::app::StartupLoader::enabled = false;
    pizzeria::app::protectConsoleStreams();
    pizzeria::app::watchDisplayConnection();
    game = std::make_unique<pizzeria::app::Game>(argc, argv);
    game->run();
    game.reset();
    return 0;
}
