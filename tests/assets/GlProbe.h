#pragma once

#include "tests/assets/ImageFiles.h"

#include <GL/glew.h>

namespace assettest {

// The base image of `texture`, read back as RGBA, top row first (the first
// row uploaded).
Picture readTexels(GLuint texture);

} // namespace assettest
