// The enemy: a gangster in a dark pinstripe suit, fedora and sunglasses,
// with a gun held out in front.
#include "tools/assetgen/models/Common.h"

namespace assetgen {

ModelData buildGangster() {
    Atlas atlas(256);
    MeshData mesh;
    const Rgb suit = rgb(38, 38, 48);
    const Rgb stripe = rgb(120, 120, 135);
    const Rgb skin = rgb(222, 172, 132);

    const std::vector<glm::vec2> torso = {{0.0f, 0.84f},  {0.36f, 0.85f}, {0.4f, 0.98f},
                                          {0.44f, 1.18f}, {0.49f, 1.38f}, {0.42f, 1.48f},
                                          {0.2f, 1.54f},  {0.0f, 1.55f}};
    const float collar = profileT(torso, 1.5f);
    const Paint jacket = atlas.painted(128, 96, [&](float s, float t) {
        const float front = wrapDistance(s, kFrontS);
        // White shirt in the open front, a red tie down its middle.
        const float opening = 0.02f + 0.1f * glm::clamp((t - 0.45f) / (collar - 0.45f), 0.0f, 1.0f);
        if (t > 0.45f && front < opening) {
            return front < 0.018f + 0.01f * (t < 0.55f ? (0.55f - t) * 10.0f : 0.0f)
                       ? rgb(190, 20, 24)
                       : rgb(236, 236, 232);
        }
        const bool pin = std::fmod(s * 60.0f, 1.0f) < 0.12f;
        return pin ? stripe : suit;
    });
    addLathe(mesh, torso, 24, jacket, glm::scale(glm::mat4(1.0f), {1.0f, 1.0f, 0.72f}));

    const Paint trousers = atlas.painted(
        32, 16, [&](float s, float) { return std::fmod(s * 8.0f, 1.0f) < 0.15f ? stripe : suit; });
    for (float side : {-1.0f, 1.0f}) {
        addTube(
            mesh, [&](float t) { return glm::vec3(side * 0.2f, 0.9f - 0.8f * t, 0.0f); },
            [](float) { return 0.13f; }, 10, 2, trousers, {0.0f, 0.0f, 1.0f});
        addEllipsoid(mesh, {side * 0.2f, 0.08f, 0.08f}, {0.12f, 0.08f, 0.22f}, 10, 6,
                     atlas.flat(rgb(20, 18, 18)));
    }

    // Left arm hangs; the right one holds the gun out in front.
    const Paint sleeve = atlas.flat(suit);
    const Paint hand = atlas.flat(skin);
    addTube(
        mesh, [](float t) { return glm::vec3(0.5f + 0.06f * t, 1.38f - 0.5f * t, 0.04f * t); },
        [](float) { return 0.1f; }, 10, 3, sleeve, {0.0f, 0.0f, 1.0f});
    addEllipsoid(mesh, {0.56f, 0.8f, 0.05f}, glm::vec3(0.09f), 8, 6, hand);
    auto rightArm = [](float t) {
        const glm::vec3 shoulder(-0.5f, 1.38f, 0.0f);
        const glm::vec3 elbow(-0.55f, 1.05f, 0.05f);
        const glm::vec3 wrist(-0.42f, 1.08f, 0.48f);
        return t < 0.5f ? glm::mix(shoulder, elbow, t * 2.0f)
                        : glm::mix(elbow, wrist, t * 2.0f - 1.0f);
    };
    addTube(mesh, rightArm, [](float) { return 0.1f; }, 10, 6, sleeve, {1.0f, 0.0f, 0.0f});
    addEllipsoid(mesh, {-0.42f, 1.08f, 0.54f}, glm::vec3(0.09f), 8, 6, hand);
    const Paint gun = atlas.flat(rgb(28, 28, 30));
    addBox(mesh, {-0.46f, 1.1f, 0.45f}, {-0.38f, 1.2f, 0.95f}, gun);
    addBox(mesh, {-0.45f, 0.95f, 0.5f}, {-0.39f, 1.1f, 0.6f}, gun);
    addTube(
        mesh, [](float t) { return glm::vec3(-0.42f, 1.02f, 0.72f + 0.02f * t); },
        [](float t) { return t > 0.02f && t < 0.98f ? 0.1f : 0.0f; }, 12, 2,
        atlas.flat(rgb(60, 50, 40)), {0.0f, 1.0f, 0.0f});

    // Head with stubble, a scar and sunglasses; a fedora on top.
    const Paint face = atlas.painted(64, 32, [&](float s, float t) {
        if (t < 0.38f && wrapDistance(s, kFrontS) < 0.2f) {
            return glm::mix(skin, rgb(120, 100, 90), 0.35f); // stubble
        }
        if (std::fabs((s - kFrontS - 0.07f) + (t - 0.45f) * 0.3f) < 0.006f &&
            std::fabs(t - 0.45f) < 0.12f) {
            return rgb(150, 70, 70);
        }
        return skin;
    });
    addEllipsoid(mesh, {0.0f, 1.7f, 0.0f}, {0.2f, 0.24f, 0.21f}, 16, 10, face);
    const Paint glasses = atlas.flat(rgb(10, 10, 12));
    addBox(mesh, {-0.17f, 1.7f, 0.15f}, {0.17f, 1.77f, 0.21f}, glasses);
    addEllipsoid(mesh, {0.0f, 1.64f, 0.2f}, {0.045f, 0.05f, 0.05f}, 8, 6, atlas.flat(skin * 0.95f));

    const Paint felt = atlas.flat(rgb(30, 30, 34));
    const Paint band = atlas.flat(rgb(150, 24, 24));
    addLathe(mesh, {{0.0f, 1.84f}, {0.38f, 1.85f}, {0.4f, 1.88f}, {0.0f, 1.89f}}, 24, felt,
             glm::scale(glm::mat4(1.0f), {1.0f, 1.0f, 1.1f}));
    addLathe(mesh, {{0.0f, 1.86f}, {0.24f, 1.86f}, {0.245f, 1.93f}}, 20, band);
    addLathe(mesh, {{0.245f, 1.93f}, {0.24f, 2.02f}, {0.2f, 2.08f}, {0.0f, 2.06f}}, 20, felt,
             glm::mat4(1.0f), [](float phi, float t) {
                 // The crease in the crown, front to back.
                 return 1.0f - 0.08f * t * std::fabs(std::sin(phi));
             });
    return finish(atlas, std::move(mesh));
}

} // namespace assetgen
