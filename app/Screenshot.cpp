#include "app/Screenshot.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <IL/il.h>

#ifdef _WIN32
#include <process.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <cstdio>
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
    if (home == nullptr || *home == '\0') {
        // As the shell finds a home without HOME: the user database.
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
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

// The picture as a PNG file's bytes; empty when DevIL cannot encode it.
std::vector<unsigned char> encodePng(int width, int height, std::vector<unsigned char>& pixels) {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    // DevIL takes the rows bottom first, as OpenGL gives them, and turns them
    // the right way up when it encodes.
    const bool made = ilTexImage(ILuint(width), ILuint(height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                                 pixels.data()) == IL_TRUE;
    // Deflate never grows the rows (one filter byte each) by more than a
    // fraction; the headers fit in the rest.
    const std::size_t raw = pixels.size() + std::size_t(height);
    std::vector<unsigned char> png(raw + raw / 100 + 4096);
    const ILuint written = made ? ilSaveL(IL_PNG, png.data(), ILuint(png.size())) : 0;
    ilDeleteImages(1, &image);
    png.resize(written);
    return png;
}

// Writes `bytes` to a new file at `path`, every write and the close checked.
bool writeFile(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

// Gives the written file `part` the name `final`, never replacing a file that
// has that name (another instance's picture taken in the same second).
bool publish(const fs::path& part, const fs::path& final) {
#ifdef _WIN32
    // The C library's rename fails here when the new name exists.
    return std::rename(part.string().c_str(), final.string().c_str()) == 0;
#else
    if (::link(part.c_str(), final.c_str()) != 0) {
        return false;
    }
    ::unlink(part.c_str());
    return true;
#endif
}

// A name beside the final ones that no other instance uses.
fs::path partName(const fs::path& folder) {
#ifdef _WIN32
    const long long process = _getpid();
#else
    const long long process = ::getpid();
#endif
    static int taken = 0;
    return folder /
           (".pizzeria-" + std::to_string(process) + "-" + std::to_string(++taken) + ".png.part");
}

} // namespace

fs::path screenshotFolder() {
    const fs::path data = userDataFolder();
    return data.empty() ? fs::path() : data / "screenshots";
}

fs::path saveScreenshot(GLFWwindow* window) {
    const fs::path folder = screenshotFolder();
    if (folder.empty()) {
        fail("the user's data folder", "neither XDG_DATA_HOME nor a home folder is known");
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
    const std::vector<unsigned char> png = encodePng(width, height, pixels);
    if (png.empty()) {
        fail(folder, "the picture could not be encoded");
        return {};
    }
    // Written aside and renamed once whole: a full disk or a kill mid-write
    // never leaves a broken picture under a picture's name.
    const fs::path part = partName(folder);
    if (!writeFile(part, png)) {
        fs::remove(part, error);
        fail(part, "the file could not be written (is the disk full?)");
        return {};
    }
    for (int tries = 0; tries < 100; ++tries) {
        fs::path path = freshName(folder);
        if (publish(part, path)) {
            std::cout << "screenshot saved to " << path.string() << std::endl;
            return path;
        }
    }
    fs::remove(part, error);
    fail(folder, "no free file name");
    return {};
}

} // namespace pizzeria::app
