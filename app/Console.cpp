#include "app/Console.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pizzeria::app {

void protectConsoleStreams() {
#ifdef _WIN32
    // Paths are printed as UTF-8, whatever the user's ANSI code page. The
    // console may be a shared terminal's: it gets its code page back.
    static const UINT previousCodePage = GetConsoleOutputCP();
    if (previousCodePage != 0 && SetConsoleOutputCP(CP_UTF8)) {
        std::atexit([] { SetConsoleOutputCP(previousCodePage); });
    }
#else
    // In order from 0, so each open takes the lowest free number: the one
    // just found closed.
    for (int stream = 0; stream <= 2; ++stream) {
        if (fcntl(stream, F_GETFD) == -1 && errno == EBADF) {
            const int opened = open("/dev/null", stream == 0 ? O_RDONLY : O_WRONLY);
            if (opened > stream) {
                dup2(opened, stream);
                close(opened);
            }
        }
    }
#endif
    // Windows has no SIGPIPE, and a missing standard handle there only makes
    // writes fail; it never hands the number to another file.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

namespace {

volatile std::sig_atomic_t endSignal = 0;

extern "C" void onEndSignal(int signal) {
    if (endSignal != 0) {
        // Asked twice: the player means it. The default action ends us now.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    endSignal = signal;
#ifdef _WIN32
    std::signal(signal, onEndSignal); // Windows resets a handler once it has run
#endif
}

} // namespace

void closeOnEndRequests() {
    std::signal(SIGINT, onEndSignal);
    std::signal(SIGTERM, onEndSignal);
#ifndef _WIN32
    std::signal(SIGHUP, onEndSignal);
    std::signal(SIGQUIT, onEndSignal);
#endif
}

const char* endRequest() {
    switch (endSignal) {
    case 0:
        return nullptr;
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
#ifndef _WIN32
    case SIGHUP:
        return "SIGHUP";
    case SIGQUIT:
        return "SIGQUIT";
#endif
    default:
        return "a signal";
    }
}

namespace {

// Only a console window of our own closes with the game, taking the message
// along: double-clicked in Explorer. From a terminal, a script or a pipe the
// message stays readable (or is read by a program), so nothing waits.
bool consoleClosesWithUs() {
#ifdef _WIN32
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
#else
    return isatty(fileno(stdin)) != 0;
#endif
}

} // namespace

void pauseConsole() {
    if (!consoleClosesWithUs()) {
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
