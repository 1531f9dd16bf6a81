// The eight pizza toppings. Each rests on y = 0 with its front along +z and
// is 1 to 2 units across, so it reads by shape and colour from afar.
#include "tools/assetgen/models/Common.h"

namespace assetgen {

void restOnGround(MeshData& mesh) {
    const float lowest = mesh.minCorner().y;
    for (Vertex& v : mesh.vertices) {
        v.position.y -= lowest;
    }
}

namespace {

// Bright enough to read under moonlight: a glossy highlight band on top.
Paint shinySkin(Atlas& atlas, Rgb base, Rgb highlight, int seed) {
    return atlas.painted(48, 48, [=](float s, float t) {
        const float shine = std::pow(
            glm::clamp(std::sin(t * 3.1f) * 0.5f + 0.5f * std::cos((s - 0.6f) * 6.28f), 0.0f, 1.0f),
            6.0f);
        const float mottle = 0.06f * (valueNoise(s * 10.0f, t * 10.0f, seed) - 0.5f);
        return glm::mix(base, highlight, shine * 0.55f) + Rgb(mottle);
    });
}

// Drawn at a size a player sees from behind the cook, resting on the ground.
ModelData finishTopping(Atlas& atlas, MeshData mesh) {
    constexpr float playSize = 1.3f;
    mesh.transform(glm::scale(glm::mat4(1.0f), glm::vec3(playSize)));
    restOnGround(mesh);
    return finish(atlas, std::move(mesh));
}

} // namespace

ModelData buildBacon() {
    Atlas atlas(128);
    MeshData mesh;
    // Streaks of lean and fat along the strip.
    const Paint streaks = atlas.painted(64, 64, [](float s, float t) {
        const float across = std::sin(s * glm::two_pi<float>()); // -1..1 over the width
        const float band = across * 2.5f + 0.3f * std::sin(t * 19.0f);
        const int k = int(std::floor(band + 2.5f));
        const bool fat = k == 1 || k == 3;
        const Rgb lean =
            glm::mix(rgb(178, 48, 44), rgb(140, 30, 30), valueNoise(t * 12.0f, s * 4.0f, 3));
        return fat ? rgb(245, 212, 190) : lean;
    });
    addFlatTube(
        mesh,
        [](float t) {
            const float z = -0.65f + 1.3f * t;
            return glm::vec3(0.0f, 0.24f + 0.2f * std::sin(t * glm::two_pi<float>() * 1.5f), z);
        },
        [](float t) { return 0.045f * std::min(1.0f, std::min(t, 1.0f - t) * 40.0f + 0.2f); },
        [](float) { return 0.26f; }, 16, 40, streaks, {0.0f, 1.0f, 0.0f});
    return finishTopping(atlas, std::move(mesh));
}

ModelData buildCorn() {
    Atlas atlas(128);
    MeshData mesh;
    // Cob lying along z, tip to the front; kernels in rows.
    const Paint kernels = atlas.painted(96, 64, [](float s, float t) {
        const float row = std::fmod(s * 20.0f, 1.0f);
        const float col = std::fmod(t * 14.0f + (int(s * 20.0f) % 2) * 0.5f, 1.0f);
        const float edge = std::min(std::min(row, 1.0f - row), std::min(col, 1.0f - col));
        return edge < 0.12f ? rgb(190, 130, 20) : rgb(250, 206, 60);
    });
    const glm::mat4 lying = at(0.0f, 0.27f, 0.0f) *
                            glm::rotate(glm::mat4(1.0f), glm::half_pi<float>(), glm::vec3(1, 0, 0));
    addLathe(mesh,
             {{0.0f, -0.6f},
              {0.2f, -0.56f},
              {0.26f, -0.4f},
              {0.27f, -0.1f},
              {0.25f, 0.2f},
              {0.2f, 0.45f},
              {0.1f, 0.6f},
              {0.0f, 0.64f}},
             20, kernels, lying);

    // Husk leaves peeled back from the stem end.
    const Paint husk = atlas.painted(32, 32, [](float s, float t) {
        const float vein = std::fmod(s * 6.0f, 1.0f) < 0.2f ? 0.85f : 1.0f;
        return glm::mix(rgb(120, 190, 70), rgb(190, 200, 110), t * 0.6f) * vein;
    });
    for (float psi : {1.57f, 3.6f, 5.8f}) {
        const glm::vec3 out(std::cos(psi), std::sin(psi), 0.0f);
        addFlatTube(
            mesh,
            [&](float t) {
                const float radial = 0.2f + 0.28f * t * t;
                return glm::vec3(0.0f, 0.27f, -0.3f - 0.6f * t) + out * radial;
            },
            [](float) { return 0.018f; },
            [](float t) {
                return 0.17f * std::sqrt(std::sin(glm::pi<float>() * (0.1f + 0.9f * t)));
            },
            8, 10, husk, out);
    }
    addTube(
        mesh, [](float t) { return glm::vec3(0.0f, 0.27f, -0.58f - 0.2f * t); },
        [](float t) { return t < 0.95f ? 0.07f : 0.03f; }, 8, 2, atlas.flat(rgb(140, 150, 80)),
        {0.0f, 1.0f, 0.0f});
    return finishTopping(atlas, std::move(mesh));
}

ModelData buildEgg() {
    Atlas atlas(128);
    MeshData mesh;
    const Paint shell = atlas.painted(48, 48, [](float s, float t) {
        const float speck = hashNoise(int(s * 48.0f), int(t * 48.0f), 11) > 0.93f ? 0.88f : 1.0f;
        return glm::mix(rgb(250, 240, 220), rgb(236, 214, 180), 1.0f - t) * speck;
    });
    std::vector<glm::vec2> profile;
    for (int k = 0; k <= 12; ++k) {
        const float theta = glm::pi<float>() * float(k) / 12.0f;
        const float r = 0.39f * std::sin(theta) * (1.0f + 0.13f * std::cos(theta));
        profile.emplace_back(k == 0 || k == 12 ? 0.0f : r, 0.5f * (1.0f - std::cos(theta)) * 1.0f);
    }
    addLathe(mesh, profile, 20, shell);
    return finishTopping(atlas, std::move(mesh));
}

ModelData buildGarlic() {
    Atlas atlas(128);
    MeshData mesh;
    const int cloves = 8;
    const std::vector<glm::vec2> profile = {
        {0.0f, 0.04f},  {0.22f, 0.02f}, {0.38f, 0.1f},  {0.46f, 0.28f}, {0.42f, 0.48f},
        {0.28f, 0.64f}, {0.1f, 0.76f},  {0.06f, 0.86f}, {0.04f, 0.98f}, {0.0f, 1.0f}};
    const float neck = profileT(profile, 0.7f);
    const Paint skin = atlas.painted(64, 64, [&](float s, float t) {
        if (t > neck) {
            return rgb(214, 196, 160);
        }
        const float groove = std::cos(s * glm::two_pi<float>() * float(cloves));
        const Rgb paper = rgb(246, 240, 232);
        const Rgb purple = rgb(176, 110, 160);
        const float streak = glm::clamp(-groove, 0.0f, 1.0f) * (0.5f + 0.5f * std::sin(t * 9.0f));
        return glm::mix(paper, purple, streak * 0.8f);
    });
    addLathe(mesh, profile, 32, skin, glm::mat4(1.0f), [&](float phi, float t) {
        const float body = 1.0f - glm::smoothstep(neck - 0.2f, neck, t);
        return 1.0f + 0.07f * body * std::cos(phi * float(cloves));
    });
    // Root tuft underneath.
    addEllipsoid(mesh, {0.0f, 0.02f, 0.0f}, {0.14f, 0.03f, 0.14f}, 10, 4,
                 atlas.flat(rgb(150, 120, 80)));
    return finishTopping(atlas, std::move(mesh));
}

ModelData buildJalapeno() {
    Atlas atlas(128);
    MeshData mesh;
    const Paint body = shinySkin(atlas, rgb(40, 140, 40), rgb(150, 230, 120), 5);
    // Pointed tip to the front, stem at the back.
    auto spine = [](float t) {
        return glm::vec3(0.06f * std::sin(glm::pi<float>() * t), 0.22f + 0.14f * t * t * t,
                         -0.6f + 1.2f * t);
    };
    addTube(mesh, spine,
            [](float t) {
                const float shoulder = std::sqrt(std::min(1.0f, t * 8.0f));
                return 0.27f * shoulder * std::pow(std::max(0.0f, 1.0f - t), 0.45f) *
                       (1.0f - 0.2f * t);
            },
            14, 20, body, {0.0f, 1.0f, 0.0f});
    const Paint stem = atlas.flat(rgb(110, 120, 50));
    addEllipsoid(mesh, spine(0.0f) + glm::vec3(0.0f, 0.0f, 0.02f), {0.12f, 0.12f, 0.05f}, 10, 6,
                 stem);
    addTube(
        mesh,
        [&](float t) { return spine(0.0f) + glm::vec3(0.0f, 0.12f * t * t, -0.05f - 0.2f * t); },
        [](float t) { return t < 0.97f ? 0.035f : 0.02f; }, 8, 4, stem, {0.0f, 1.0f, 0.0f});
    return finishTopping(atlas, std::move(mesh));
}

ModelData buildPepper() {
    Atlas atlas(128);
    MeshData mesh;
    const Paint body = shinySkin(atlas, rgb(210, 24, 20), rgb(255, 140, 120), 9);
    addLathe(mesh,
             {{0.0f, 0.06f},
              {0.3f, 0.0f},
              {0.43f, 0.18f},
              {0.46f, 0.45f},
              {0.45f, 0.7f},
              {0.32f, 0.84f},
              {0.12f, 0.8f},
              {0.0f, 0.76f}},
             32, body, glm::mat4(1.0f),
             [](float phi, float) { return 1.0f + 0.09f * std::cos(phi * 4.0f); });
    const Paint stem = atlas.flat(rgb(60, 130, 40));
    addEllipsoid(mesh, {0.0f, 0.8f, 0.0f}, {0.12f, 0.04f, 0.12f}, 10, 4, stem);
    addTube(
        mesh, [](float t) { return glm::vec3(0.04f * t * t, 0.78f + 0.22f * t, 0.0f); },
        [](float t) { return t < 0.95f ? 0.05f : 0.03f; }, 8, 4, stem, {1.0f, 0.0f, 0.0f});
    return finishTopping(atlas, std::move(mesh));
}

ModelData buildShrimp() {
    Atlas atlas(128);
    MeshData mesh;
    const int segments = 7;
    const Paint shell = atlas.painted(64, 96, [&](float s, float t) {
        const float ring = std::fmod(t * float(segments), 1.0f);
        const Rgb orange = rgb(250, 120, 60);
        const Rgb pale = rgb(255, 196, 160);
        // The back (s near 0.5 faces away from the curl) is darker.
        const float back = 0.5f + 0.5f * std::cos((s - 0.5f) * glm::two_pi<float>());
        Rgb c = glm::mix(pale, orange, 0.55f + 0.45f * back);
        if (ring < 0.12f) {
            c = pale;
        }
        return c;
    });
    // A C curled in the y-z plane: head low at the front, over the top, tail
    // tucked under at the back.
    const glm::vec3 centre(0.0f, 0.42f, 0.0f);
    const float bend = 0.3f;
    auto angleAt = [](float t) { return glm::radians(-30.0f + 250.0f * t); };
    auto spine = [&](float t) {
        const float a = angleAt(t);
        return centre + glm::vec3(0.0f, bend * std::sin(a), bend * std::cos(a));
    };
    addTube(mesh, spine,
            [](float t) {
                const float head = std::sqrt(std::min(1.0f, t * 10.0f));
                return head * (0.18f - 0.12f * t);
            },
            14, 28, shell, {1.0f, 0.0f, 0.0f});
    // Tail fan.
    const Paint fan = atlas.flat(rgb(235, 80, 40));
    const glm::vec3 tail = spine(1.0f);
    const float a1 = angleAt(1.0f);
    const glm::vec3 along(0.0f, std::cos(a1), -std::sin(a1));
    for (float spread : {-1.0f, 1.0f}) {
        const glm::vec3 dir = glm::normalize(along + glm::vec3(spread * 0.6f, 0.0f, 0.0f));
        addFlatTube(
            mesh, [&](float t) { return tail + dir * (0.22f * t); }, [](float) { return 0.015f; },
            [](float t) { return 0.03f + 0.07f * t * (1.2f - t); }, 8, 4, fan,
            glm::cross(along, glm::vec3(1.0f, 0.0f, 0.0f)));
    }
    // Eyes and feelers at the head.
    const glm::vec3 head = spine(0.04f);
    const Paint eye = atlas.flat(rgb(15, 15, 15));
    for (float side : {-1.0f, 1.0f}) {
        addEllipsoid(mesh, head + glm::vec3(side * 0.1f, 0.06f, 0.04f), glm::vec3(0.035f), 6, 4,
                     eye);
        addTube(
            mesh,
            [&](float t) {
                return head + glm::vec3(side * (0.05f + 0.2f * t), 0.05f + 0.25f * t * t,
                                        0.05f + 0.3f * t);
            },
            [](float) { return 0.008f; }, 4, 4, atlas.flat(rgb(230, 110, 60)), {0.0f, 1.0f, 0.0f});
    }
    return finishTopping(atlas, std::move(mesh));
}

ModelData buildTomato() {
    Atlas atlas(128);
    MeshData mesh;
    const Paint skin = shinySkin(atlas, rgb(220, 30, 24), rgb(255, 150, 130), 13);
    addLathe(mesh,
             {{0.0f, 0.04f},
              {0.28f, 0.0f},
              {0.44f, 0.13f},
              {0.5f, 0.34f},
              {0.45f, 0.56f},
              {0.3f, 0.68f},
              {0.1f, 0.65f},
              {0.0f, 0.62f}},
             28, skin, glm::mat4(1.0f),
             [](float phi, float) { return 1.0f + 0.04f * std::cos(phi * 5.0f); });
    // Star of sepals round the stem.
    const Paint leaf = atlas.flat(rgb(50, 150, 40));
    for (int k = 0; k < 5; ++k) {
        const float a = float(k) * glm::two_pi<float>() / 5.0f + 0.3f;
        const glm::vec3 out(std::cos(a), 0.0f, -std::sin(a));
        addFlatTube(
            mesh,
            [&](float t) {
                return glm::vec3(0.0f, 0.66f - 0.08f * t * t, 0.0f) + out * (0.26f * t);
            },
            [](float) { return 0.015f; },
            [](float t) { return 0.055f * std::sin(glm::pi<float>() * (0.15f + 0.85f * t)); }, 6, 5,
            leaf, {0.0f, 1.0f, 0.0f});
    }
    addTube(
        mesh, [](float t) { return glm::vec3(0.0f, 0.62f + 0.2f * t, 0.03f * t * t); },
        [](float t) { return t < 0.95f ? 0.04f : 0.025f; }, 8, 3, leaf, {1.0f, 0.0f, 0.0f});
    return finishTopping(atlas, std::move(mesh));
}

} // namespace assetgen
