#pragma once

namespace pizzeria::app {

// Called first at start. A standard stream the game was started without is
// reopened on the null device: otherwise the next descriptor opened (the
// display connection) would take its number and receive console lines. A
// write to a pipe nobody reads any more (`pizzeria | head -1`) then fails
// instead of killing the game, so such lines are dropped.
void protectConsoleStreams();

// From here on the requests to end that a terminal or the system sends
// (Ctrl+C, SIGTERM, and on POSIX SIGHUP and SIGQUIT) are noted for the frame
// loop, which closes the window as Escape does; a second request ends the
// process at once.
void closeOnEndRequests();

// The name of the request to end ("SIGTERM") once one came, else null.
const char* endRequest();

// Waits for Enter after a prompt so a console window stays readable after a
// fatal error. On POSIX only when standard input is a terminal; on Windows
// only when the console is the game's own (started from Explorer), as one
// shared with a terminal or a script stays open anyway. Never in CI, tests
// or launchers, so the game never blocks there.
void pauseConsole();

// Ends the process after a fatal error whose message is already written:
// pauses the console, then exits with `code` without running destructors.
[[noreturn]] void exitAfterPause(int code);

} // namespace pizzeria::app
