#include "app/Console.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define PIZZERIA_ISATTY _isatty
#define PIZZERIA_FILENO _fileno
#else
#include <unistd.h>
#define PIZZERIA_ISATTY isatty
#define PIZZERIA_FILENO fileno
#endif

namespace pizzeria::app {

void pauseConsole() {
    if (!PIZZERIA_ISATTY(PIZZERIA_FILENO(stdin))) {
        return;
    }
    std::cout << "Press Enter to continue . . ." << std::endl;
    std::string ignored;
    std::getline(std::cin, ignored);
}

void exitAfterPause(int code) {
    pauseConsole();
    // A fatal error can come in the middle of a frame (a model loaded at the
    // first enemy); std::exit would then destroy the game under the very
    // call that is running, which crashes. Only the streams need finishing.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace pizzeria::app
