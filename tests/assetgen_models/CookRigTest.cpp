// The cook's arms, bat and hat under the game's own transforms: the parts
// meet the body at rest, the bat reaches forward at the end of a swing, and
// the dancing left arm stays on the shoulder.
#include "tests/assetgen_models/ModelTestSupport.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

using namespace modeltest;

namespace {

constexpr float kPi = 3.14159265358979f;
const glm::mat4 I(1.0f);

// The cook stands at the origin facing +z (model yaw 0).
glm::mat4 placeArm(float angle, float radius) {
    return glm::translate(I, glm::vec3(std::sin(angle) * radius, 1.15f, std::cos(angle) * radius));
}

// Right arm and bat for a swing angle and pitch, as the game builds them.
glm::mat4 rightArmPitched(float swingAngle, float pitch) {
    glm::mat4 m = placeArm(swingAngle, 1.46f);
    m = glm::rotate(m, swingAngle - (-kPi / 2.0f), glm::vec3(0, 1, 0));
    return glm::rotate(m, pitch, glm::vec3(1, 0, 0));
}
glm::mat4 rightArm(float swingAngle, float pitch) {
    return glm::scale(rightArmPitched(swingAngle, pitch), glm::vec3(0.7f));
}
glm::mat4 bat(float swingAngle, float pitch) {
    return glm::scale(
        glm::rotate(rightArmPitched(swingAngle, pitch), kPi / 2.0f, glm::vec3(1, 0, 0)),
        glm::vec3(3.0f));
}
glm::mat4 leftArm(float dance) {
    glm::mat4 m = placeArm(-kPi / 2.0f, -1.46f);
    m = glm::scale(glm::rotate(m, -kPi / 2.0f, glm::vec3(1, 0, 0)), glm::vec3(0.7f));
    return glm::translate(m, glm::vec3(0.0f, 0.0f, dance));
}

const float kRestSwing = -kPi / 2.0f, kRestPitch = -kPi;
const float kEndSwing = -0.6108652f, kEndPitch = -1.2217305f;

glm::vec3 apply(const glm::mat4& m, glm::vec3 p) {
    return glm::vec3(m * glm::vec4(p, 1.0f));
}

bool skin(glm::vec3 c) {
    return c.r > 0.8f && c.g > 0.55f && c.g < 0.8f && c.b > 0.4f && c.b < 0.65f;
}
bool nailMetal(glm::vec3 c) {
    return c.r > 0.55f && c.r < 0.85f && std::fabs(c.r - c.g) < 0.05f && c.b >= c.r;
}
bool gripTape(glm::vec3 c) {
    return c.r < 0.35f && c.r > 0.12f && c.r > c.b;
}

// Points of the model's triangles, transformed.
std::vector<glm::vec3> pointsOf(const std::vector<Triangle>& tris, const glm::mat4& m) {
    std::vector<glm::vec3> out;
    for (const Triangle& t : tris) {
        for (const glm::vec3& p : t.p) {
            out.push_back(apply(m, p));
        }
    }
    return out;
}

std::vector<Triangle> all(const LoadedModel& model) {
    std::vector<Triangle> out;
    for (const LoadedMesh& m : model.meshes) {
        out.insert(out.end(), m.triangles.begin(), m.triangles.end());
    }
    return out;
}

// Horizontal distance of the cook's body surface from its axis at height y,
// in the direction of x (the torso is widest across).
float torsoHalfWidthAt(float y) {
    float best = 0.0f;
    for (const Triangle& t : all(gameModel(0))) {
        for (const glm::vec3& p : t.p) {
            if (std::fabs(p.y - y) < 0.08f && std::fabs(p.z) < 0.2f) {
                best = std::max(best, std::fabs(p.x));
            }
        }
    }
    return best;
}

} // namespace

struct ArmCase {
    const char* name;
    int kind;
    glm::mat4 matrix;
    float bodySide; // sign of x of the arm's shoulder on the cook
};

class ArmAtRest : public ::testing::TestWithParam<ArmCase> {};

TEST_P(ArmAtRest, SleeveReachesIntoTheBody) {
    const ArmCase& c = GetParam();
    const auto points = pointsOf(all(gameModel(c.kind)), c.matrix);
    ASSERT_FALSE(points.empty());
    // The innermost point of the arm near shoulder height lies inside the torso.
    float innermost = 10.0f;
    for (const glm::vec3& p : points) {
        if (std::fabs(p.y - 1.15f) < 0.25f) {
            innermost = std::min(innermost, c.bodySide * p.x);
        }
    }
    EXPECT_LT(innermost, torsoHalfWidthAt(1.15f));
    EXPECT_GT(innermost, 0.0f) << "the arm must not cross to the other side";
}

INSTANTIATE_TEST_SUITE_P(
    Cook, ArmAtRest,
    ::testing::Values(ArmCase{"Left", 1, leftArm(0.0f), 1.0f},
                      ArmCase{"LeftDancingUp", 1, leftArm(0.3490658f), 1.0f},
                      ArmCase{"LeftDancingDown", 1, leftArm(-0.3490658f), 1.0f},
                      ArmCase{"Right", 2, rightArm(kRestSwing, kRestPitch), -1.0f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CookPose, RightHandHoldsTheBatRaisedAtRest) {
    const glm::vec3 h =
        apply(rightArm(kRestSwing, kRestPitch), centroidOf(gameModel(2).trianglesColoured(skin)));
    EXPECT_GT(h.y, 1.5f);
    EXPECT_GT(h.z, 0.2f);
    // The bat's grip is in that hand, at rest and through the swing.
    for (float k : {0.0f, 0.5f, 1.0f}) {
        const float swing = kRestSwing + k * (kEndSwing - kRestSwing);
        const float pitch = kRestPitch + k * (kEndPitch - kRestPitch);
        const glm::vec3 hand =
            apply(rightArm(swing, pitch), centroidOf(gameModel(2).trianglesColoured(skin)));
        const glm::vec3 grip =
            apply(bat(swing, pitch), centroidOf(gameModel(3).trianglesColoured(gripTape)));
        EXPECT_LT(glm::distance(hand, grip), 0.25f) << "swing fraction " << k;
    }
}

TEST(CookPose, BatReachesForwardAtTheEndOfTheSwing) {
    const auto nails = gameModel(3).trianglesColoured(nailMetal);
    ASSERT_GE(nails.size(), 20u);
    const glm::vec3 rest = apply(bat(kRestSwing, kRestPitch), centroidOf(nails));
    const glm::vec3 end = apply(bat(kEndSwing, kEndPitch), centroidOf(nails));
    // At rest the head is up over the shoulder; at the end low and well ahead.
    EXPECT_GT(rest.y, 2.3f);
    EXPECT_LT(rest.z, 0.5f);
    EXPECT_GT(end.z, 1.5f);
    EXPECT_LT(end.y, 1.2f);
    EXPECT_GT(end.y, 0.2f);
    // The whole bat stays above the ground through the swing.
    for (float k = 0.0f; k <= 1.0f; k += 0.25f) {
        const float swing = kRestSwing + k * (kEndSwing - kRestSwing);
        const float pitch = kRestPitch + k * (kEndPitch - kRestPitch);
        for (const glm::vec3& p : pointsOf(all(gameModel(3)), bat(swing, pitch))) {
            ASSERT_GT(p.y, 0.0f) << "swing fraction " << k;
        }
    }
}

TEST(CookPose, HatCoversTheTopOfTheHead) {
    const LoadedModel& hat = gameModel(4);
    const float headTop = gameModel(0).maxCorner().y;
    const float hatBottom = 1.6f + hat.minCorner().y;
    EXPECT_LT(hatBottom, headTop - 0.05f);
    EXPECT_GT(hatBottom, 1.5f) << "the brim should not cover the eyes";
    // Wider than the head where it sits, so the head does not poke through.
    float headHalfWidth = 0.0f;
    for (const Triangle& t : all(gameModel(0))) {
        for (const glm::vec3& p : t.p) {
            if (p.y > hatBottom) {
                headHalfWidth = std::max(headHalfWidth, std::fabs(p.x));
            }
        }
    }
    EXPECT_GT(hat.maxCorner().x, headHalfWidth);
}
