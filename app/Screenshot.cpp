#include "app/Screenshot.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <IL/il.h>

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace pizzeria::app {

namespace {

namespace fs = std::filesystem;

fs::path userDataFolder() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    if (local != nullptr && *local != '\0') {
        return fs::path(local) / "Pizzeria";
    }
#else
    // A relative XDG_DATA_HOME is invalid and to be ignored.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && *xdg == '/') {
        return fs::path(xdg) / "pizzeria";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return fs::path(home) / ".local" / "share" / "pizzeria";
    }
#endif
    return {};
}

// "pizzeria-2026-12-07_14-05-09.png", with "-2", "-3" ... when taken within
// the same second.
fs::path freshName(const fs::path& folder) {
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "unknown-time";
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", local);
    }
    const std::string base = std::string("pizzeria-") + stamp;
    fs::path path = folder / (base + ".png");
    std::error_code ignored;
    for (int n = 2; fs::exists(path, ignored); ++n) {
        path = folder / (base + "-" + std::to_string(n) + ".png");
    }
    return path;
}

void fail(const fs::path& where, const std::string& reason) {
    std::cerr << "ERROR: Could not save the screenshot to " << where.string() << ": " << reason
              << std::endl;
}

// The back buffer as RGB rows, bottom row first, as OpenGL reads them.
std::vector<unsigned char> readBackBuffer(int width, int height) {
    std::vector<unsigned char> pixels(std::size_t(width) * std::size_t(height) * 3);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

bool writePng(const fs::path& path, int width, int height, std::vector<unsigned char>& pixels) {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // DevIL takes the rows bottom first, as OpenGL gives them, and turns them
    // the right way up when it writes the file.
    const bool made = ilTexImage(ILuint(width), ILuint(height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                                 pixels.data()) == IL_TRUE;
    const bool saved = made && ilSave(IL_PNG, path.string().c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    return saved;
}

} // namespace

fs::path screenshotFolder() {
    const fs::path data = userDataFolder();
    return data.empty() ? fs::path() : data / "screenshots";
}

fs::path saveScreenshot(GLFWwindow* window) {
    const fs::path folder = screenshotFolder();
    if (folder.empty()) {
        fail("the user's data folder", "neither XDG_DATA_HOME nor HOME is set");
        return {};
    }
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
        fail(folder, error.message());
        return {};
    }
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    if (width <= 0 || height <= 0) {
        fail(folder, "the window shows nothing");
        return {};
    }
    std::vector<unsigned char> pixels = readBackBuffer(width, height);
    fs::path path = freshName(folder);
    if (!writePng(path, width, height, pixels)) {
        fs::remove(path, error); // no half-written file left behind
        fail(path, "the file could not be written");
        return {};
    }
    std::cout << "screenshot saved to " << path.string() << std::endl;
    return path;
}

} // namespace pizzeria::app
