// The cook and his parts: body, arms, nail bat, chef's hat and shoes.
#include "tools/assetgen/models/Common.h"
#include "tools/assetgen/models/CookRig.h"

namespace assetgen {

namespace {

const Rgb kJacket = rgb(240, 238, 230);
const Rgb kSkin = rgb(238, 184, 142);
const Rgb kHair = rgb(72, 44, 28);
const Rgb kShoe = rgb(40, 34, 32);

void addShoePair(MeshData& mesh, Atlas& atlas, float spread) {
    const Paint shoe = atlas.flat(kShoe);
    const Paint sole = atlas.flat(rgb(18, 16, 16));
    for (float side : {-1.0f, 1.0f}) {
        addEllipsoid(mesh, {side * spread, 0.1f, 0.07f}, {0.15f, 0.1f, 0.25f}, 12, 8, shoe);
        addBox(mesh, {side * spread - 0.13f, 0.0f, -0.14f}, {side * spread + 0.13f, 0.04f, 0.28f},
               sole);
    }
}

// Unit direction of an arm or the bat in its own y-z plane.
glm::vec3 planeDirection(float angle) {
    return {0.0f, std::cos(angle), std::sin(angle)};
}

// One arm: a sleeve from the pivot in towards the body (the pivot sits
// outside the torso), the elbow at the pivot, the forearm along `angle` and
// the hand at its end. `inward` is +1 when the body lies on +x.
ModelData buildArm(float inward, float angle) {
    Atlas atlas(64);
    const Paint sleeve = atlas.flat(kJacket);
    const Paint cuff = atlas.flat(rgb(205, 205, 200));
    const Paint skin = atlas.flat(kSkin);
    MeshData mesh;
    addTube(
        mesh, [&](float t) { return glm::vec3(inward * 1.1f * (1.0f - t), 0.0f, 0.0f); },
        [](float t) { return 0.3f - 0.06f * t; }, 12, 3, sleeve, {0.0f, 0.0f, 1.0f});
    addEllipsoid(mesh, {0.0f, 0.0f, 0.0f}, glm::vec3(0.26f), 12, 8, sleeve);
    const glm::vec3 d = planeDirection(angle);
    addTube(
        mesh, [&](float t) { return d * (0.72f * t); }, [](float t) { return 0.23f - 0.03f * t; },
        12, 3, sleeve, {1.0f, 0.0f, 0.0f});
    addTorus(mesh, {0.0f, 0.0f, 0.0f}, 0.2f, 0.06f, 12, 6, cuff,
             glm::translate(glm::mat4(1.0f), d * 0.72f) *
                 glm::rotate(glm::mat4(1.0f), angle, glm::vec3(1.0f, 0.0f, 0.0f)));
    addEllipsoid(mesh, d * rig::kHandDistance, {0.19f, 0.2f, 0.19f}, 12, 8, skin);
    // Thumb on the front of the fist.
    addEllipsoid(mesh, d * (rig::kHandDistance - 0.02f) + glm::vec3(inward * 0.14f, 0.0f, 0.0f),
                 glm::vec3(0.08f), 8, 6, skin);
    return finish(atlas, std::move(mesh));
}

} // namespace

ModelData buildCook() {
    Atlas atlas(512);
    MeshData mesh;

    // Torso: a round white jacket with two rows of buttons, an apron in front
    // and its tie around the waist.
    const std::vector<glm::vec2> torso = {{0.0f, 0.55f},  {0.55f, 0.56f}, {0.72f, 0.68f},
                                          {0.8f, 0.88f},  {0.79f, 1.05f}, {0.7f, 1.22f},
                                          {0.45f, 1.36f}, {0.2f, 1.43f},  {0.0f, 1.45f}};
    const float waist = profileT(torso, 0.86f);
    const float chestLow = profileT(torso, 0.96f);
    const float chestHigh = profileT(torso, 1.24f);
    const Paint jacket = atlas.painted(256, 128, [&](float s, float t) {
        const float front = wrapDistance(s, kFrontS);
        if (t > waist - 0.015f && t < waist + 0.015f) {
            return rgb(110, 122, 150); // apron tie
        }
        if (t < waist && front < 0.17f) {
            const bool edge = front > 0.155f;
            return edge ? rgb(150, 160, 180) : rgb(226, 232, 242);
        }
        for (float column : {kFrontS - 0.035f, kFrontS + 0.035f}) {
            for (int row = 0; row < 3; ++row) {
                const float ct = chestLow + (chestHigh - chestLow) * (float(row) + 0.5f) / 3.0f;
                if (inEllipse(s, t, column, ct, 0.009f, 0.022f)) {
                    return rgb(30, 30, 36);
                }
            }
        }
        // A faint seam down the front.
        if (t > waist && std::fabs(s - kFrontS) < 0.004f) {
            return rgb(200, 200, 195);
        }
        return kJacket;
    });
    addLathe(mesh, torso, 28, jacket, glm::scale(glm::mat4(1.0f), {1.0f, 1.0f, 0.8f}));

    // Legs in checked chef's trousers, then the shoes.
    const Paint checks = atlas.painted(32, 32, [](float s, float t) {
        const int cx = int(s * 8.0f);
        const int cy = int(t * 8.0f);
        return ((cx + cy) % 2 == 0) ? rgb(40, 40, 44) : rgb(170, 170, 176);
    });
    for (float side : {-1.0f, 1.0f}) {
        addTube(
            mesh, [&](float t) { return glm::vec3(side * 0.27f, 0.62f - 0.5f * t, 0.02f * t); },
            [](float) { return 0.16f; }, 12, 2, checks, {0.0f, 0.0f, 1.0f});
    }
    addShoePair(mesh, atlas, 0.27f);

    // Red neckerchief with its knot in front.
    const Paint scarf = atlas.flat(rgb(200, 34, 30));
    addTorus(mesh, {0.0f, 1.37f, 0.0f}, 0.25f, 0.065f, 20, 6, scarf,
             glm::scale(glm::mat4(1.0f), {1.0f, 1.0f, 0.9f}));
    addEllipsoid(mesh, {0.0f, 1.3f, 0.26f}, {0.08f, 0.09f, 0.05f}, 8, 6, scarf);

    // Head: face to the front, hair at the back.
    const Paint head = atlas.painted(128, 64, [](float s, float t) {
        const float front = wrapDistance(s, kFrontS);
        for (float eye : {kFrontS - 0.055f, kFrontS + 0.055f}) {
            if (std::fabs(t - 0.7f - 0.02f * std::cos((s - eye) * 60.0f)) < 0.018f &&
                wrapDistance(s, eye) < 0.03f) {
                return kHair; // eyebrow
            }
        }
        if (inEllipse(s, t, kFrontS - 0.1f, 0.45f, 0.03f, 0.06f) ||
            inEllipse(s, t, kFrontS + 0.1f, 0.45f, 0.03f, 0.06f)) {
            return rgb(236, 150, 130); // cheeks
        }
        if (front > 0.19f && t > 0.42f) {
            return kHair;
        }
        if (front > 0.15f && front < 0.19f && t > 0.35f && t < 0.62f) {
            return kHair; // sideburns
        }
        return kSkin;
    });
    addEllipsoid(mesh, {0.0f, 1.57f, 0.02f}, {0.29f, 0.31f, 0.29f}, 24, 14, head);
    // Eyes stand out of the head so they read from a distance.
    for (float side : {-1.0f, 1.0f}) {
        addEllipsoid(mesh, {side * 0.1f, 1.62f, 0.27f}, {0.06f, 0.065f, 0.03f}, 10, 6,
                     atlas.flat(rgb(250, 250, 245)));
        addEllipsoid(mesh, {side * 0.095f, 1.615f, 0.29f}, {0.03f, 0.035f, 0.02f}, 8, 6,
                     atlas.flat(rgb(25, 20, 20)));
    }
    addEllipsoid(mesh, {0.0f, 1.54f, 0.31f}, {0.07f, 0.065f, 0.08f}, 10, 6,
                 atlas.flat(rgb(236, 164, 128)));
    const Paint moustache = atlas.flat(kHair);
    for (float side : {-1.0f, 1.0f}) {
        addEllipsoid(mesh, {0.0f, 0.0f, 0.0f}, {0.12f, 0.045f, 0.06f}, 10, 6, moustache,
                     at(side * 0.1f, 1.46f, 0.27f) *
                         glm::rotate(glm::mat4(1.0f), side * -0.35f, glm::vec3(0, 0, 1)) *
                         glm::rotate(glm::mat4(1.0f), side * 0.5f, glm::vec3(0, 1, 0)));
    }
    return finish(atlas, std::move(mesh));
}

// The left arm hangs on the cook's +x side, so the body is on its -x.
ModelData buildLeftArm() {
    return buildArm(-1.0f, rig::kLeftArmAngle);
}

// The right arm is on the cook's -x side and holds the bat.
ModelData buildRightArm() {
    return buildArm(1.0f, rig::kRightArmAngle);
}

ModelData buildBat() {
    Atlas atlas(128);
    MeshData mesh;
    // The bat's origin is the arm's pivot: find the hand in bat units.
    const glm::vec3 handInArm = planeDirection(rig::kRightArmAngle) * rig::kHandDistance;
    const glm::mat4 batToArm =
        glm::scale(glm::rotate(glm::mat4(1.0f), rig::kBatTilt, glm::vec3(1, 0, 0)),
                   glm::vec3(rig::kBatScale / rig::kArmScale));
    const glm::vec3 hand = glm::vec3(glm::inverse(batToArm) * glm::vec4(handInArm, 1.0f));
    const glm::vec3 dir = planeDirection(rig::kBatAngle);
    const float length = 0.48f;
    auto spine = [&](float t) { return hand + dir * (length * t - 0.07f); };
    auto radius = [](float t) {
        if (t < 0.05f) {
            return 0.032f * std::sqrt(std::max(0.0f, 1.0f - std::pow((0.05f - t) / 0.05f, 2.0f)));
        }
        if (t < 0.3f) {
            return 0.022f;
        }
        if (t < 0.8f) {
            const float k = (t - 0.3f) / 0.5f;
            return 0.022f + 0.03f * k * k * (3.0f - 2.0f * k);
        }
        const float k = (t - 0.8f) / 0.2f;
        return 0.052f * std::sqrt(std::max(0.0f, 1.0f - k * k * k * k));
    };
    const Paint wood = atlas.painted(64, 96, [](float s, float t) {
        if (t < 0.3f) {
            // Grip tape wound round the handle.
            return (int((t + s * 0.06f) * 60.0f) % 2 == 0) ? rgb(50, 40, 36) : rgb(70, 58, 50);
        }
        const float grain = valueNoise(s * 24.0f, t * 4.0f, 7);
        const float streak = 0.5f + 0.5f * std::sin(s * 80.0f + grain * 6.0f);
        return glm::mix(rgb(196, 146, 86), rgb(150, 100, 52), streak * 0.6f);
    });
    addTube(mesh, spine, radius, 12, 24, wood, {1.0f, 0.0f, 0.0f});

    // Nails driven through the barrel, sticking out all round.
    const Paint metal = atlas.flat(rgb(178, 180, 190));
    const glm::vec3 side = glm::normalize(glm::cross(dir, glm::vec3(1, 0, 0)));
    const glm::vec3 across = glm::cross(side, dir);
    for (int i = 0; i < 12; ++i) {
        const float t = 0.62f + 0.3f * float(i % 4) / 3.0f;
        const float a = float(i) * 2.4f + 0.3f;
        const glm::vec3 out = std::cos(a) * side + std::sin(a) * across;
        const glm::vec3 base = spine(t);
        const float r = radius(t);
        addTube(
            mesh, [&](float u) { return base + out * (r * 0.5f + (r * 0.5f + 0.045f) * u); },
            [](float u) { return u > 0.85f ? 0.004f : 0.007f; }, 4, 2, metal, dir);
    }
    return finish(atlas, std::move(mesh));
}

ModelData buildHat() {
    Atlas atlas(256);
    MeshData mesh;
    // A low toque: a tall one hides the ground ahead from the camera behind him.
    const std::vector<glm::vec2> profile = {{0.0f, 0.08f},  {0.3f, 0.08f},  {0.31f, 0.18f},
                                            {0.31f, 0.28f}, {0.36f, 0.32f}, {0.43f, 0.39f},
                                            {0.45f, 0.47f}, {0.42f, 0.54f}, {0.32f, 0.59f},
                                            {0.15f, 0.62f}, {0.0f, 0.63f}};
    const float bandTop = profileT(profile, 0.28f);
    const int pleats = 10;
    const Paint cloth = atlas.painted(128, 64, [&](float s, float t) {
        if (t < bandTop) {
            return std::fabs(t - bandTop + 0.03f) < 0.012f ? rgb(200, 200, 196)
                                                           : rgb(246, 246, 242);
        }
        const float fold = std::cos(s * glm::two_pi<float>() * float(pleats));
        return glm::mix(rgb(250, 250, 248), rgb(206, 208, 214), glm::clamp(-fold, 0.0f, 1.0f));
    });
    addLathe(mesh, profile, 40, cloth, glm::mat4(1.0f), [&](float phi, float t) {
        const float puff = glm::smoothstep(bandTop, bandTop + 0.1f, t);
        return 1.0f + 0.05f * puff * std::cos(phi * float(pleats));
    });
    return finish(atlas, std::move(mesh));
}

ModelData buildShoes() {
    Atlas atlas(64);
    MeshData mesh;
    addShoePair(mesh, atlas, 0.27f);
    return finish(atlas, std::move(mesh));
}

} // namespace assetgen
