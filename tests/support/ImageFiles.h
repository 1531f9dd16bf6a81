#pragma once

#include <filesystem>
#include <vector>

namespace testsupport {

// Write 8-bit RGB pixels, top row first; false when the file could not be
// written.
bool writePng(const std::filesystem::path& path, int width, int height,
              const std::vector<unsigned char>& rgb);
bool writeJpeg(const std::filesystem::path& path, int width, int height,
               const std::vector<unsigned char>& rgb, int quality);

} // namespace testsupport
