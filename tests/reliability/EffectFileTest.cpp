// Effect files are read only when an effect plays, long after start-up, so
// the game-level file cases never decode them. Here the real engine plays a
// damaged effect: it stays silent, the game reports nothing and goes on.
#include "sound/MixerEngine.h"
#include "sound/SoundManager.h"
#include "tests/support/BuildPaths.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char* const kMutations[] = {"missing",     "empty",     "truncated", "bitflip",
                                  "wrongformat", "directory", "fifo"};

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// `file` in the folder, damaged the way `mutation` says.
void damage(const fs::path& file, const std::string& mutation) {
    std::string bytes = readAll(file);
    fs::remove(file);
    if (mutation == "missing") {
        return;
    }
    if (mutation == "directory") {
        fs::create_directory(file);
        return;
    }
    if (mutation == "fifo") {
        // Opening it for reading would wait for a writer that never comes.
        ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);
        return;
    }
    if (mutation == "empty") {
        bytes.clear();
    } else if (mutation == "truncated") {
        bytes.resize(bytes.size() / 2);
    } else if (mutation == "bitflip") {
        for (std::size_t i = 97; i < bytes.size(); i += bytes.size() / 9 + 1) {
            bytes[i] = char(bytes[i] ^ (1 << (i % 8)));
        }
    } else if (mutation == "wrongformat") {
        bytes = readAll(fs::path(testsupport::runDir()) / "GameObjects/Terrain/Terrain.jpg");
    }
    writeAll(file, bytes);
}

class EffectFile : public testing::TestWithParam<const char*> {};

} // namespace

TEST_P(EffectFile, PlaysSilentlyWhenDamaged) {
    const fs::path folder =
        fs::temp_directory_path() /
        ("pizzeria-effect-" + std::to_string(getpid()) + "-" + std::string(GetParam()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy(fs::path(testsupport::runDir()) / "Sounds", folder / "Sounds");
    damage(folder / "Sounds/moneySound.mp3", GetParam());
    const fs::path previous = fs::current_path();
    fs::current_path(folder);

    testing::internal::CaptureStderr();
    pizzeria::sound::startSound();
    for (int i = 0; i < 3; ++i) {
        pizzeria::sound::playSound("moneySound.mp3");
    }
    // The engine still plays a sound that is whole.
    pizzeria::sound::playSound("hit1.mp3");
    auto* engine = dynamic_cast<pizzeria::sound::MixerEngine*>(pizzeria::sound::soundEngine());
    ASSERT_NE(engine, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (engine->soundingEffects() < 1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GE(engine->soundingEffects(), 1);
    pizzeria::sound::releaseSound();
    // The decoder may grumble about a damaged stream; the game says nothing.
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("ERROR"), std::string::npos);

    fs::current_path(previous);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Mutations, EffectFile, testing::ValuesIn(kMutations));
