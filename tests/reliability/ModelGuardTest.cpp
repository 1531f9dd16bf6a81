// Model files that would crash the importer, or that it would take for an
// empty model, end the game with the import failure instead.
#include "assets/Model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct GuardCase {
    const char* name;
    const char* material; // cook.mtl beside the model; null: the model is a directory
    const char* message;  // expected end of the ERROR line
    const char* mtllib = "mtllib cook.mtl"; // the model's material line
};

// Keeps test listings readable: the case by its name, not its bytes.
void PrintTo(const GuardCase& guard, std::ostream* out) {
    *out << guard.name;
}

// Read as Assimp reads them: blanks open every material line but the first,
// a tab after "mtllib" is a space, "NEWMTL" makes no material, and a material
// file that cannot be opened is replaced by the one named after the model.
const GuardCase kCases[] = {
    {"DiffuseMapFirst", "map_Kd cook.jpg\nnewmtl Cook\n", "before the first newmtl in"},
    {"AmbientMapFirst", "# made by hand\nmap_Ka cook.jpg\n", "before the first newmtl in"},
    {"IndentedBumpFirst", "# made by hand\r\n\t bump cook.jpg\n", "before the first newmtl in"},
    {"UpperCaseNewmtl", "NEWMTL Cook\nmap_Kd cook.jpg\n", "before the first newmtl in"},
    {"TabAfterMtllib", "map_Kd cook.jpg\nnewmtl Cook\n", "before the first newmtl in",
     "mtllib\tcook.mtl"},
    {"NamedFileMissing", "map_Kd cook.jpg\nnewmtl Cook\n", "first newmtl in /.*/cook.mtl",
     "mtllib  other.mtl"},
    {"ModelIsADirectory", nullptr, "Unable to open file"},
};

const char* const kBody = "\r\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl Cook\nf 1 2 3\n";

class ModelGuard : public testing::TestWithParam<GuardCase> {};

} // namespace

TEST_P(ModelGuard, EndsWithTheImportFailure) {
    const fs::path folder =
        fs::temp_directory_path() / ("pizzeria-guard-" + std::string(GetParam().name));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string path = (folder / "cook.obj").string();
    if (GetParam().material != nullptr) {
        std::ofstream(path) << GetParam().mtllib << kBody;
        std::ofstream(folder / "cook.mtl") << GetParam().material;
    } else {
        fs::create_directory(path);
    }
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf()); // the message goes to stdout
            pizzeria::assets::Model model(path);
        },
        testing::ExitedWithCode(1), std::string("^ERROR: ASSIMP: .*") + GetParam().message);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Files, ModelGuard, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<GuardCase>& info) {
                             return std::string(info.param.name);
                         });
