#pragma once

namespace pizzeria::app {

// Waits for Enter after a prompt so a console window stays readable after a
// fatal error; does nothing when standard input is not a terminal (CI,
// tests, launchers), so the game never blocks there.
void pauseConsole();

// Ends the process after a fatal error whose message is already written:
// pauses the console, then exits with `code` without running destructors.
[[noreturn]] void exitAfterPause(int code);

} // namespace pizzeria::app
