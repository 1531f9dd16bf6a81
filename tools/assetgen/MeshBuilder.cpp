#include "tools/assetgen/MeshBuilder.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace assetgen {

std::uint32_t MeshData::add(const Vertex& v) {
    vertices.push_back(v);
    return std::uint32_t(vertices.size() - 1);
}

void MeshData::triangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    indices.insert(indices.end(), {a, b, c});
}

void MeshData::append(const MeshData& other) {
    const auto base = std::uint32_t(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (std::uint32_t i : other.indices) {
        indices.push_back(base + i);
    }
}

void MeshData::transform(const glm::mat4& m, std::size_t first) {
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(m)));
    // A mirroring transform turns the winding inside out; keep it outward.
    const bool mirrored = glm::determinant(glm::mat3(m)) < 0.0f;
    for (std::size_t i = first; i < vertices.size(); ++i) {
        Vertex& v = vertices[i];
        v.position = glm::vec3(m * glm::vec4(v.position, 1.0f));
        v.normal = glm::normalize(normalMatrix * v.normal);
    }
    if (mirrored) {
        for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
            if (indices[i] >= first) {
                std::swap(indices[i + 1], indices[i + 2]);
            }
        }
    }
}

glm::vec3 MeshData::minCorner() const {
    glm::vec3 r(0.0f);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        r = i == 0 ? vertices[i].position : glm::min(r, vertices[i].position);
    }
    return r;
}

glm::vec3 MeshData::maxCorner() const {
    glm::vec3 r(0.0f);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        r = i == 0 ? vertices[i].position : glm::max(r, vertices[i].position);
    }
    return r;
}

namespace {

// Normal of fn at (s, t) from central differences; near a pole, where the s
// derivative vanishes, it is taken a little way inside.
glm::vec3 surfaceNormal(const SurfaceFn& fn, float s, float t) {
    const float h = 1e-3f;
    for (float inset : {0.0f, 2e-3f, 1e-2f, 3e-2f}) {
        const float tt = glm::clamp(t, inset, 1.0f - inset);
        const glm::vec3 ds = fn(s + h, tt) - fn(s - h, tt);
        const float t0 = std::max(0.0f, tt - h);
        const float t1 = std::min(1.0f, tt + h);
        const glm::vec3 dt = fn(s, t1) - fn(s, t0);
        const glm::vec3 n = glm::cross(ds, dt);
        const float len = glm::length(n);
        if (len > 1e-10f) {
            return n / len;
        }
    }
    return glm::vec3(0.0f, 1.0f, 0.0f);
}

} // namespace

void addSurface(MeshData& mesh, int nu, int nv, const SurfaceFn& fn, const Paint& paint,
                bool flip) {
    const auto base = std::uint32_t(mesh.vertices.size());
    for (int j = 0; j <= nv; ++j) {
        const float t = float(j) / float(nv);
        for (int i = 0; i <= nu; ++i) {
            const float s = float(i) / float(nu);
            glm::vec3 n = surfaceNormal(fn, s, t);
            mesh.add(Vertex{fn(s, t), flip ? -n : n, paint.at(s, t)});
        }
    }
    const auto row = std::uint32_t(nu + 1);
    for (int j = 0; j < nv; ++j) {
        for (int i = 0; i < nu; ++i) {
            const std::uint32_t a = base + std::uint32_t(j) * row + std::uint32_t(i);
            const std::uint32_t b = a + 1;
            const std::uint32_t c = a + row;
            const std::uint32_t d = c + 1;
            if (flip) {
                mesh.triangle(a, c, b);
                mesh.triangle(b, c, d);
            } else {
                mesh.triangle(a, b, c);
                mesh.triangle(b, d, c);
            }
        }
    }
}

void addLathe(MeshData& mesh, const std::vector<glm::vec2>& profile, int segments,
              const Paint& paint, const glm::mat4& place,
              const std::function<float(float, float)>& lobes) {
    const int last = int(profile.size()) - 1;
    auto fn = [&](float s, float t) {
        const float x = glm::clamp(t, 0.0f, 1.0f) * float(last);
        const int k = std::min(int(x), last - 1);
        const glm::vec2 p =
            glm::mix(profile[std::size_t(k)], profile[std::size_t(k + 1)], x - float(k));
        // x = r cos(phi), z = -r sin(phi) makes d/ds x d/dt point outward.
        const float phi = s * glm::two_pi<float>();
        const float r = p.x * (lobes ? lobes(phi, t) : 1.0f);
        return glm::vec3(place * glm::vec4(r * std::cos(phi), p.y, -r * std::sin(phi), 1.0f));
    };
    addSurface(mesh, segments, last * 2, fn, paint);
}

void addEllipsoid(MeshData& mesh, glm::vec3 centre, glm::vec3 radii, int nu, int nv,
                  const Paint& paint, const glm::mat4& place) {
    auto fn = [&](float s, float t) {
        const float phi = s * glm::two_pi<float>();
        const float theta = (t - 0.5f) * glm::pi<float>();
        const glm::vec3 p(std::cos(theta) * std::cos(phi), std::sin(theta),
                          -std::cos(theta) * std::sin(phi));
        return glm::vec3(place * glm::vec4(centre + p * radii, 1.0f));
    };
    addSurface(mesh, nu, nv, fn, paint);
}

void addFlatTube(MeshData& mesh, const std::function<glm::vec3(float)>& spine,
                 const std::function<float(float)>& thickness,
                 const std::function<float(float)>& width, int around, int along,
                 const Paint& paint, glm::vec3 up) {
    auto fn = [&](float s, float t) {
        const float h = 1e-3f;
        const glm::vec3 c = spine(t);
        const glm::vec3 tangent =
            glm::normalize(spine(std::min(1.0f, t + h)) - spine(std::max(0.0f, t - h)));
        const glm::vec3 side = glm::normalize(glm::cross(tangent, up));
        const glm::vec3 normal = glm::cross(side, tangent);
        const float a = s * glm::two_pi<float>();
        return c + std::cos(a) * thickness(t) * normal - std::sin(a) * width(t) * side;
    };
    addSurface(mesh, around, along, fn, paint, true);
}

void addTube(MeshData& mesh, const std::function<glm::vec3(float)>& spine,
             const std::function<float(float)>& radius, int around, int along, const Paint& paint,
             glm::vec3 up) {
    addFlatTube(mesh, spine, radius, radius, around, along, paint, up);
}

void addBox(MeshData& mesh, glm::vec3 lo, glm::vec3 hi, const Paint& paint,
            const glm::mat4& place) {
    const std::size_t first = mesh.vertices.size();
    // Each face: normal, and two edge directions whose cross product is the normal.
    struct Face {
        glm::vec3 n, u, v;
    };
    const Face faces[] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    const glm::vec3 centre = (lo + hi) * 0.5f;
    const glm::vec3 half = (hi - lo) * 0.5f;
    for (const Face& f : faces) {
        std::uint32_t idx[4];
        for (int k = 0; k < 4; ++k) {
            const float su = (k == 1 || k == 2) ? 1.0f : -1.0f;
            const float sv = (k >= 2) ? 1.0f : -1.0f;
            const glm::vec3 p = centre + half * (f.n + su * f.u + sv * f.v);
            idx[k] = mesh.add(Vertex{p, f.n, paint.at(su * 0.5f + 0.5f, sv * 0.5f + 0.5f)});
        }
        mesh.triangle(idx[0], idx[1], idx[2]);
        mesh.triangle(idx[0], idx[2], idx[3]);
    }
    mesh.transform(place, first);
}

} // namespace assetgen
