// Running the generator twice gives byte-identical files, and the same files
// the build put into the run folder.
#include "tests/support/BuildPaths.h"
#include "tools/assetgen/Models.h"
#include "tools/assetgen/Sounds.h"
#include "tools/assetgen/TerrainImages.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> readBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::vector<fs::path> filesUnder(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files.push_back(fs::relative(entry.path(), root));
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(Generator, WritesIdenticalFilesEveryRun) {
    const fs::path base =
        fs::temp_directory_path() / ("pizzeria-generated-" + std::to_string(::getpid()));
    const fs::path first = base / "first", second = base / "second";
    for (const fs::path& run : {first, second}) {
        ASSERT_TRUE(assetgen::generateModels(run / "GameObjects"));
        ASSERT_TRUE(assetgen::generateTerrainImages(run / "GameObjects" / "Terrain"));
        ASSERT_TRUE(assetgen::generateSounds(run / "Sounds"));
        // Let the clock move on, so a creation stamp would differ.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    }
    const std::vector<fs::path> files = filesUnder(first);
    EXPECT_EQ(filesUnder(second), files);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::vector<std::uint8_t> bytes = readBytes(first / file);
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, readBytes(second / file));
        EXPECT_EQ(bytes, readBytes(testsupport::runDir() / file));
    }
    fs::remove_all(base);
}

} // namespace
