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
    std::exit(code);
}

} // namespace pizzeria::app
