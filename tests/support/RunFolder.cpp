#include "tests/support/RunFolder.h"

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace testsupport {

RunFolder::RunFolder(const fs::path& original) : root(dir.path() / "run") {
    const fs::path from = fs::absolute(original);
    fs::create_directories(root);
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        const fs::path to = root / fs::relative(entry.path(), from);
        if (entry.is_directory()) {
            fs::create_directories(to);
        } else {
            fs::create_symlink(entry.path(), to);
        }
    }
}

std::string RunFolder::read(const std::string& relative) const {
    std::ifstream file(root / relative, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void RunFolder::write(const std::string& relative, const std::string& content) const {
    remove(relative); // never write through the link into the real folder
    std::ofstream(root / relative, std::ios::binary) << content;
}

void RunFolder::remove(const std::string& relative) const {
    fs::remove(root / relative);
}

} // namespace testsupport
