// The world around the players: sky dome, moon, a ground tile and a lamp.
#include "tools/assetgen/models/Common.h"

#include <array>

namespace assetgen {

ModelData buildGround() {
    Atlas atlas(128);
    MeshData mesh;
    const Paint grass = atlas.painted(64, 64, [](float s, float t) {
        const float n = valueNoise(s * 12.0f, t * 12.0f, 21);
        return glm::mix(rgb(40, 92, 40), rgb(80, 130, 56), n);
    });
    // A gridded top lights evenly; the slab below gives it an edge.
    addSurface(
        mesh, 8, 8,
        [](float s, float t) { return glm::vec3(4.0f * s - 2.0f, 0.0f, 2.0f - 4.0f * t); }, grass);
    addBox(mesh, {-2.0f, -0.1f, -2.0f}, {2.0f, -0.001f, 2.0f}, grass);
    return finish(atlas, std::move(mesh));
}

// The game turns the sky by pi/2 about x, so the model's -z becomes up and its
// x-y plane the horizon. Normals face inwards: it is seen from inside.
ModelData buildSky() {
    Atlas atlas(512);
    MeshData mesh;
    const int size = 500;
    // Stars scattered evenly over the upper half, stamped into a buffer.
    std::vector<float> stars(std::size_t(size) * size, 0.0f);
    for (int i = 0; i < 900; ++i) {
        const float u = hashNoise(i, 1, 77);
        const float h = hashNoise(i, 2, 77);
        const float elevation = std::asin(0.06f + 0.94f * h); // uniform in area above the horizon
        const float t = 0.5f + elevation / glm::pi<float>();
        const float brightness = 0.35f + 0.65f * std::pow(hashNoise(i, 3, 77), 3.0f);
        const int cx = int(u * float(size - 1));
        const int cy = int((1.0f - t) * float(size - 1));
        // A texel spans 360/500 deg of longitude (times the cosine of the
        // elevation) but 180/500 deg of latitude: scale the dot's width so
        // it comes out round on the dome.
        const float aspect = 2.0f * std::max(0.15f, std::cos(elevation));
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -6; dx <= 6; ++dx) {
                const int x = (cx + dx + size) % size;
                const int y = cy + dy;
                if (y < 0 || y >= size) {
                    continue;
                }
                const float ax = float(dx) * aspect;
                const float d2 = ax * ax + float(dy * dy);
                float& px = stars[std::size_t(y) * size + std::size_t(x)];
                px = std::max(px, brightness * std::exp(-d2 * 0.9f));
            }
        }
    }
    const Paint sky = atlas.painted(size, size, [&](float s, float t) {
        const float elevation = (t - 0.5f) * glm::pi<float>();
        const Rgb zenith = rgb(6, 10, 34);
        const Rgb high = rgb(16, 26, 70);
        const Rgb glow = rgb(92, 92, 150);
        const Rgb below = rgb(14, 16, 30);
        Rgb c;
        if (elevation >= 0.0f) {
            c = glm::mix(high, zenith, glm::smoothstep(0.3f, 1.4f, elevation));
            c = glm::mix(c, glow, std::exp(-elevation / 0.12f));
        } else {
            c = glm::mix(below, glow, std::exp(elevation / 0.05f));
        }
        const int x = std::min(size - 1, int(s * float(size - 1) + 0.5f));
        const int y = std::min(size - 1, int((1.0f - t) * float(size - 1) + 0.5f));
        const float star = stars[std::size_t(y) * size + std::size_t(x)];
        return glm::mix(c, rgb(255, 250, 235), star);
    });
    addSurface(
        mesh, 48, 32,
        [](float s, float t) {
            const float phi = s * glm::two_pi<float>();
            const float e = (t - 0.5f) * glm::pi<float>();
            return glm::vec3(std::cos(e) * std::cos(phi), std::cos(e) * std::sin(phi),
                             -std::sin(e));
        },
        sky);
    return finish(atlas, std::move(mesh));
}

namespace {

struct Crater {
    glm::vec3 centre; // unit direction
    float radius;     // angular, radians
    float depth;
};

std::vector<Crater> moonCraters() {
    std::vector<Crater> craters;
    for (int i = 0; i < 40; ++i) {
        const float z = 2.0f * hashNoise(i, 5, 31) - 1.0f;
        const float a = glm::two_pi<float>() * hashNoise(i, 6, 31);
        const float r = std::sqrt(1.0f - z * z);
        const float size = 0.07f + 0.25f * std::pow(hashNoise(i, 7, 31), 2.0f);
        craters.push_back({{r * std::cos(a), z, r * std::sin(a)}, size, 0.35f * size});
    }
    return craters;
}

// Radial offset (in units of the radius) and shade factor of the cratered
// surface in direction `d`.
std::pair<float, float> craterAt(const std::vector<Crater>& craters, glm::vec3 d) {
    float offset = 0.0f;
    float shade = 1.0f;
    for (const Crater& c : craters) {
        const float angle = std::acos(glm::clamp(glm::dot(d, c.centre), -1.0f, 1.0f));
        const float x = angle / c.radius;
        if (x < 1.0f) {
            offset -= c.depth * (1.0f - x * x);
            shade *= 0.78f + 0.12f * x;
        } else if (x < 1.35f) {
            const float rim = 1.0f - std::fabs(x - 1.12f) / 0.23f;
            offset += c.depth * 0.25f * std::max(0.0f, rim);
            shade *= 1.0f + 0.15f * std::max(0.0f, rim);
        }
    }
    return {offset, shade};
}

glm::vec3 sphereDirection(float s, float t) {
    const float phi = s * glm::two_pi<float>();
    const float theta = (t - 0.5f) * glm::pi<float>();
    return {std::cos(theta) * std::cos(phi), std::sin(theta), -std::cos(theta) * std::sin(phi)};
}

} // namespace

ModelData buildMoon() {
    Atlas atlas(512);
    MeshData mesh;
    const float radius = 5.0f;
    const std::vector<Crater> craters = moonCraters();
    const Paint surface = atlas.painted(500, 250, [&](float s, float t) {
        const glm::vec3 d = sphereDirection(s, t);
        const float mare = valueNoise(d.x * 2.5f + 3.0f, d.y * 2.5f + d.z * 1.7f, 41);
        const float grit = valueNoise(s * 90.0f, t * 45.0f, 42);
        const Rgb base =
            glm::mix(rgb(222, 222, 214), rgb(150, 152, 156), glm::smoothstep(0.45f, 0.7f, mare));
        return base * craterAt(craters, d).second * (0.93f + 0.1f * grit);
    });
    addSurface(
        mesh, 48, 32,
        [&](float s, float t) {
            const glm::vec3 d = sphereDirection(s, t);
            return d * radius * (1.0f + 0.5f * craterAt(craters, d).first);
        },
        surface);
    return finish(atlas, std::move(mesh));
}

ModelData buildLamp() {
    Atlas atlas(64);
    MeshData mesh;
    const Paint iron = atlas.flat(rgb(46, 50, 56));
    const Paint light = atlas.flat(rgb(255, 230, 150));
    addLathe(
        mesh,
        {{0.0f, 0.0f}, {0.22f, 0.0f}, {0.2f, 0.15f}, {0.08f, 0.3f}, {0.07f, 2.8f}, {0.0f, 2.82f}},
        12, iron);
    addTube(
        mesh, [](float t) { return glm::vec3(0.0f, 2.7f + 0.15f * std::sin(t * 3.0f), 0.45f * t); },
        [](float) { return 0.04f; }, 8, 6, iron, {1.0f, 0.0f, 0.0f});
    addLathe(mesh, {{0.0f, 2.45f}, {0.12f, 2.5f}, {0.16f, 2.72f}, {0.0f, 2.74f}}, 10, light,
             at(0.0f, 0.0f, 0.45f));
    addLathe(mesh, {{0.0f, 2.7f}, {0.24f, 2.7f}, {0.0f, 2.86f}}, 10, iron, at(0.0f, 0.0f, 0.45f));
    return finish(atlas, std::move(mesh));
}

} // namespace assetgen
