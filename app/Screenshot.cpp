#include "app/Screenshot.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#ifdef _WIN32
#include <process.h>
#include <stdio.h>
#include <stdlib.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace pizzeria::app {

namespace {

namespace fs = std::filesystem;

fs::path userDataFolder() {
#ifdef _WIN32
    // The wide variable: a user name outside the ANSI code page ("Zoë" on a
    // Russian Windows) would come out of getenv as question marks.
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local != nullptr && *local != L'\0') {
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

// The path as the console shows it: UTF-8 (the game sets a Windows console
// to it), where string() would use the ANSI code page or throw.
std::string printable(const fs::path& path) {
#ifdef _WIN32
    return path.u8string();
#else
    return path.string();
#endif
}

void fail(const fs::path& where, const std::string& reason) {
    std::cerr << "ERROR: Could not save the screenshot to " << printable(where) << ": " << reason
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

// The picture as a PNG file's bytes, top row first; empty when it cannot be
// encoded. `pixels` come bottom row first, as OpenGL reads them.
std::vector<unsigned char> encodePng(int width, int height,
                                     const std::vector<unsigned char>& pixels) {
    const int stride = width * 3;
    std::vector<unsigned char> topFirst(pixels.size());
    for (int row = 0; row < height; ++row) {
        std::copy_n(pixels.begin() + std::ptrdiff_t(height - 1 - row) * stride, stride,
                    topFirst.begin() + std::ptrdiff_t(row) * stride);
    }
    std::vector<unsigned char> png;
    const auto append = [](void* context, void* data, int size) {
        auto& out = *static_cast<std::vector<unsigned char>*>(context);
        const auto* bytes = static_cast<const unsigned char*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    if (stbi_write_png_to_func(append, &png, width, height, 3, topFirst.data(), stride) == 0) {
        png.clear();
    }
    return png;
}

// Writes `bytes` to a new file at `path`, every write and the close checked.
bool writeFile(const fs::path& path, const std::vector<unsigned char>& bytes) {
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"wb");
#else
    std::FILE* file = std::fopen(path.c_str(), "wb");
#endif
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
    return _wrename(part.c_str(), final.c_str()) == 0;
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

namespace {

// A picture read from the window, waiting to be encoded and written.
struct Shot {
    fs::path folder;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

// Encoding takes a good part of a second for a large window; the game goes
// on while the one writer thread does it.
void writeShot(const Shot& shot) {
    const std::vector<unsigned char> png = encodePng(shot.width, shot.height, shot.pixels);
    if (png.empty()) {
        fail(shot.folder, "the picture could not be encoded");
        return;
    }
    // Written aside and renamed once whole: a full disk or a kill mid-write
    // never leaves a broken picture under a picture's name.
    std::error_code error;
    const fs::path part = partName(shot.folder);
    if (!writeFile(part, png)) {
        fs::remove(part, error);
        fail(part, "the file could not be written (is the disk full?)");
        return;
    }
    for (int tries = 0; tries < 100; ++tries) {
        const fs::path path = freshName(shot.folder);
        if (publish(part, path)) {
            // One write, so the line never mixes with the game's own.
            std::cout << ("screenshot saved to " + printable(path) + "\n") << std::flush;
            return;
        }
    }
    fs::remove(part, error);
    fail(shot.folder, "no free file name");
}

class ShotWriter {
public:
    ShotWriter() = default;
    ShotWriter(const ShotWriter&) = delete;
    ShotWriter& operator=(const ShotWriter&) = delete;
    ~ShotWriter() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (thread.joinable()) {
            thread.join();
        }
    }

    // False when too many pictures already wait: each holds a whole frame.
    bool add(Shot shot) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (waiting.size() >= maxWaiting) {
            return false;
        }
        waiting.push_back(std::move(shot));
        if (!thread.joinable()) {
            thread = std::thread([this] { run(); });
        }
        changed.notify_all();
        return true;
    }

    void finish() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return waiting.empty() && !writing; });
    }

private:
    static constexpr std::size_t maxWaiting = 4;

    void run() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return stopping || !waiting.empty(); });
            if (waiting.empty()) {
                return; // stopping, with nothing left to write
            }
            const Shot shot = std::move(waiting.front());
            waiting.pop_front();
            writing = true;
            lock.unlock();
            writeShot(shot);
            lock.lock();
            writing = false;
            changed.notify_all();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Shot> waiting;
    bool writing = false;
    bool stopping = false;
    std::thread thread;
};

ShotWriter& shotWriter() {
    static ShotWriter writer;
    return writer;
}

} // namespace

void saveScreenshot(GLFWwindow* window) {
    Shot shot;
    shot.folder = screenshotFolder();
    if (shot.folder.empty()) {
        fail("the user's data folder", "neither XDG_DATA_HOME nor a home folder is known");
        return;
    }
    std::error_code error;
    fs::create_directories(shot.folder, error);
    if (error) {
        fail(shot.folder, error.message());
        return;
    }
    glfwGetFramebufferSize(window, &shot.width, &shot.height);
    if (shot.width <= 0 || shot.height <= 0) {
        fail(shot.folder, "the window shows nothing");
        return;
    }
    shot.pixels = readBackBuffer(shot.width, shot.height);
    const fs::path folder = shot.folder;
    if (!shotWriter().add(std::move(shot))) {
        fail(folder, "the earlier screenshots are still being written");
    }
}

void finishScreenshots() {
    shotWriter().finish();
}

} // namespace pizzeria::app
