// Two runs of the model generator write the same bytes.
#include "tools/assetgen/Models.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream data;
            data << in.rdbuf();
            files[fs::relative(entry.path(), root).generic_string()] = data.str();
        }
    }
    return files;
}

} // namespace

TEST(ModelGenerator, TwoRunsWriteIdenticalFiles) {
    ilInit();
    const fs::path base = fs::temp_directory_path() / "pizzeria_models_determinism";
    fs::remove_all(base);
    ASSERT_TRUE(assetgen::generateModels(base / "a"));
    // Let the clock move on, so a creation stamp would differ.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_TRUE(assetgen::generateModels(base / "b"));
    const auto a = readTree(base / "a");
    const auto b = readTree(base / "b");
    ASSERT_EQ(a.size(), b.size());
    // A model, its texture and (for OBJ) its material file per entry.
    std::size_t models = 0;
    for (const auto& [name, data] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(data == b.at(name)) << name << " differs between runs";
        EXPECT_FALSE(data.empty()) << name;
        const std::string ext = fs::path(name).extension().string();
        models += (ext == ".obj" || ext == ".fbx") ? 1 : 0;
    }
    EXPECT_EQ(models, assetgen::modelFiles().size());
    fs::remove_all(base);
}
