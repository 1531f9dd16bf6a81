// Running the generator twice gives byte-identical files, and the same files
// the build put into the run folder.
#include "tests/assetgen_media/MediaTestSupport.h"
#include "tools/assetgen/Sounds.h"
#include "tools/assetgen/TerrainImages.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

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

TEST(MediaGenerator, WritesIdenticalFilesEveryRun) {
    ilInit();
    const fs::path base =
        fs::temp_directory_path() / ("pizzeria-media-" + std::to_string(::getpid()));
    const fs::path first = base / "first", second = base / "second";
    for (const fs::path& run : {first, second}) {
        ASSERT_TRUE(assetgen::generateTerrainImages(run / "GameObjects" / "Terrain"));
        ASSERT_TRUE(assetgen::generateSounds(run / "Sounds"));
    }
    const std::vector<fs::path> files = filesUnder(first);
    EXPECT_EQ(files.size(), 13u); // 2 images, 11 sounds
    EXPECT_EQ(filesUnder(second), files);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::vector<std::uint8_t> bytes = mediatest::readBytes(first / file);
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(bytes, mediatest::readBytes(second / file));
        EXPECT_EQ(bytes, mediatest::readBytes(mediatest::runDir() / file));
    }
    fs::remove_all(base);
}

} // namespace
