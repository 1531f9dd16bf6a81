#pragma once

#include <filesystem>

struct GLFWwindow;

namespace pizzeria::app {

// Where screenshots go: "screenshots" in the game's folder of the user's
// data ($XDG_DATA_HOME/pizzeria, else ~/.local/share/pizzeria; on Windows
// %LOCALAPPDATA%\Pizzeria). Empty when no such folder can be named.
std::filesystem::path screenshotFolder();

// Writes the picture in `window`'s back buffer to a PNG named after the date
// and time in screenshotFolder(), creating the folder, and prints the path.
// The file is written under a temporary name beside it and renamed once
// whole, never over another file. A failure (no folder, read-only, disk full)
// prints one line and changes nothing else. Returns the file written, or an
// empty path.
std::filesystem::path saveScreenshot(GLFWwindow* window);

} // namespace pizzeria::app
