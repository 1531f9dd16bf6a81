#include "app/Console.h"
#include "app/DisplayConnection.h"
#include "app/Game.h"

#include <memory>

int main(int argc, char** argv) {
    using pizzeria::app::game;
    pizzeria::app::protectConsoleStreams();
    pizzeria::app::watchDisplayConnection();
    pizzeria::app::closeOnEndRequests();
    game = std::make_unique<pizzeria::app::Game>(argc, argv);
    game->run();
    game.reset();
    return 0;
}
