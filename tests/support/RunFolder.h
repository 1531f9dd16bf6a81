#pragma once

#include "tests/support/Process.h"

#include <filesystem>
#include <string>

namespace testsupport {

// A copy of the game's run folder made of links to its files, in which a
// test damages single files; the game runs from it as from the real one.
class RunFolder {
public:
    explicit RunFolder(const std::filesystem::path& original);

    const std::filesystem::path& path() const { return root; }
    std::filesystem::path executable() const { return root / "pizzeria"; }

    // The text of `relative` as the real folder has it.
    std::string read(const std::string& relative) const;
    // Puts a file of its own, holding `content`, in place of the link.
    void write(const std::string& relative, const std::string& content) const;
    void remove(const std::string& relative) const;

private:
    TempDir dir;
    std::filesystem::path root;
};

} // namespace testsupport
