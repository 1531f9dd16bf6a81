#pragma once

#include "assets/BoundingBox.h"
#include "assets/Mesh.h"
#include "assets/Vertex.h"

#include <memory>
#include <optional>
#include <vector>

namespace pizzeria::assets {

// The axis-aligned extent of the positions; none for an empty list, which
// has no extent at all.
std::optional<BoundingBox> extentOf(const std::vector<Vertex>& vertices);

// The invisible companion of a loaded mesh: 24 vertices, four per face with
// the face's outward normal, and 36 indices, uploaded like any mesh.
std::unique_ptr<Mesh> makeBoxMesh(const BoundingBox& extent);

} // namespace pizzeria::assets
