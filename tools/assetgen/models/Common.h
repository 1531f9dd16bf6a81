#pragma once

#include "tools/assetgen/Atlas.h"
#include "tools/assetgen/models/Builders.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <vector>

namespace assetgen {

// The lathe and ellipsoid parameter s at which a surface faces +z (the front).
constexpr float kFrontS = 0.75f;

// Distance between two values of a wrapping parameter in [0, 1).
inline float wrapDistance(float a, float b) {
    const float d = std::fabs(a - b);
    return std::min(d, 1.0f - d);
}

// The lathe parameter t at height y of a profile given as (radius, y) points.
inline float profileT(const std::vector<glm::vec2>& profile, float y) {
    const int last = int(profile.size()) - 1;
    for (int k = 0; k < last; ++k) {
        const float y0 = profile[std::size_t(k)].y;
        const float y1 = profile[std::size_t(k + 1)].y;
        if ((y >= y0 && y <= y1) || (y <= y0 && y >= y1)) {
            const float f = y1 == y0 ? 0.0f : (y - y0) / (y1 - y0);
            return (float(k) + f) / float(last);
        }
    }
    return y < profile.front().y ? 0.0f : 1.0f;
}

// Inside test of an ellipse centred at (cs, ct) with half sizes (rs, rt),
// s wrapping.
inline bool inEllipse(float s, float t, float cs, float ct, float rs, float rt) {
    const float ds = wrapDistance(s, cs) / rs;
    const float dt = (t - ct) / rt;
    return ds * ds + dt * dt <= 1.0f;
}

inline glm::mat4 at(float x, float y, float z) {
    return glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z));
}

// Ring about +y at height y with major radius `major` and tube radius `minor`.
inline void addTorus(MeshData& mesh, glm::vec3 centre, float major, float minor, int nu, int nv,
                     const Paint& paint, const glm::mat4& place = glm::mat4(1.0f)) {
    addSurface(
        mesh, nu, nv,
        [&](float s, float t) {
            const float a = s * glm::two_pi<float>();
            const float b = t * glm::two_pi<float>();
            const float r = major + minor * std::cos(b);
            return glm::vec3(place *
                             glm::vec4(centre + glm::vec3(r * std::cos(a), minor * std::sin(b),
                                                          -r * std::sin(a)),
                                       1.0f));
        },
        paint);
}

inline ModelData finish(const Atlas& atlas, MeshData&& mesh) {
    return ModelData{std::move(mesh), atlas.image()};
}

} // namespace assetgen
