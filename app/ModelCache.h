#pragma once

#include "assets/Model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pizzeria::app {

// "GameObjects/" + the file of model number `kind`; numbers without a file
// (the terrain's 8, negative, 20 and above) name the cook's model.
std::string modelPath(int kind);

// The shared model of number `kind`, loaded on first use and owned by the
// cache until the process exits. A file that cannot be imported ends the game.
assets::Model* getModel(int kind);

// The same for generated geometry: the first request for `kind` builds the
// model from the lists and the texture; later requests ignore the geometry.
assets::Model* getModel(int kind, std::vector<assets::Vertex> vertices,
                        std::vector<std::uint32_t> indices, const std::string& texturePath);

} // namespace pizzeria::app
