#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <functional>
#include <vector>

namespace assetgen {

struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f, 1.0f, 0.0f};
    glm::vec2 uv{0.0f};
};

// A rectangle of a texture atlas in file UV space (v = 1 is the top row).
// at(s, t) maps the unit square onto it, t growing with v.
struct UvRect {
    glm::vec2 min{0.0f};
    glm::vec2 max{0.0f};
    glm::vec2 at(float s, float t) const { return min + (max - min) * glm::vec2(s, t); }
};

// How a surface takes its colour: one atlas point, or a painted rectangle
// stretched over the surface's (s, t) parameters.
struct Paint {
    UvRect rect;
    static Paint flat(glm::vec2 uv) { return Paint{UvRect{uv, uv}}; }
    static Paint region(UvRect r) { return Paint{r}; }
    glm::vec2 at(float s, float t) const { return rect.at(s, t); }
};

using SurfaceFn = std::function<glm::vec3(float s, float t)>;

// Indexed triangles with per-vertex normals and texture coordinates.
struct MeshData {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;

    std::uint32_t add(const Vertex& v);
    void triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);
    std::size_t triangleCount() const { return indices.size() / 3; }
    void append(const MeshData& other);
    // Moves vertices [first, end) by `m`; normals follow with its inverse transpose.
    void transform(const glm::mat4& m, std::size_t first = 0);
    // Component-wise extent of all positions.
    glm::vec3 minCorner() const;
    glm::vec3 maxCorner() const;
};

// A grid of nu x nv quads over s, t in [0, 1]. Normals come from the surface's
// partial derivatives and point along d/ds x d/dt; `flip` reverses them and the
// winding. Poles (where d/ds vanishes) are handled by sampling just inside.
void addSurface(MeshData& mesh, int nu, int nv, const SurfaceFn& fn, const Paint& paint,
                bool flip = false);

// Surface of revolution about +y. `profile` holds (radius, y) from bottom to
// top; a zero radius at an end closes it. `lobes` (angle, t) scales the radius.
void addLathe(MeshData& mesh, const std::vector<glm::vec2>& profile, int segments,
              const Paint& paint, const glm::mat4& place = glm::mat4(1.0f),
              const std::function<float(float, float)>& lobes = nullptr);

// Ellipsoid with the given radii, poles along y.
void addEllipsoid(MeshData& mesh, glm::vec3 centre, glm::vec3 radii, int nu, int nv,
                  const Paint& paint, const glm::mat4& place = glm::mat4(1.0f));

// Tube along a spine curve c(t), t in [0, 1], radius r(t); zero radius at the
// ends closes it. `up` picks the frame and must not be parallel to the spine.
void addTube(MeshData& mesh, const std::function<glm::vec3(float)>& spine,
             const std::function<float(float)>& radius, int around, int along, const Paint& paint,
             glm::vec3 up = glm::vec3(0.0f, 1.0f, 0.0f));

// Tube with an elliptical section: `thickness` (t) is the half size towards the
// frame normal (closest to `up`), `width` (t) the half size sideways. Makes
// ribbons and leaves that are closed, so both faces light correctly.
void addFlatTube(MeshData& mesh, const std::function<glm::vec3(float)>& spine,
                 const std::function<float(float)>& thickness,
                 const std::function<float(float)>& width, int around, int along,
                 const Paint& paint, glm::vec3 up = glm::vec3(0.0f, 1.0f, 0.0f));

// Axis-aligned box with flat faces, then placed by `place`.
void addBox(MeshData& mesh, glm::vec3 minCorner, glm::vec3 maxCorner, const Paint& paint,
            const glm::mat4& place = glm::mat4(1.0f));

} // namespace assetgen
