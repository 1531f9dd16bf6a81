#pragma once

#include <filesystem>

struct GLFWwindow;

namespace pizzeria::app {

// Where screenshots go: "screenshots" in the game's folder of the user's
// data ($XDG_DATA_HOME/pizzeria, else ~/.local/share/pizzeria; on Windows
// %LOCALAPPDATA%\Pizzeria). Empty when no such folder can be named.
std::filesystem::path screenshotFolder();

// Reads the picture in `window`'s back buffer and hands it to a writer
// thread, which encodes it as a PNG named after the date and time in
// screenshotFolder() and prints the path. The file is written under a
// temporary name beside it and renamed once whole, never over another file.
// A failure (no folder, read-only, disk full) prints one ERROR line and
// changes nothing else. Returns at once.
void saveScreenshot(GLFWwindow* window);

// Waits until every picture handed over is written or has failed; the game
// calls it before it ends, so a picture taken just before Escape is kept.
void finishScreenshots();

} // namespace pizzeria::app
