#pragma once

// How the game attaches the cook's parts, in the cook's own axes (front +z,
// right hand on -x). The arm, hat and bat models are built around these so
// that the parts meet the body at rest, while swinging and while dancing.
namespace assetgen::rig {

constexpr float kPi = 3.14159265358979f;

constexpr float kShoulderHeight = 1.15f; // arm origin above the cook's feet
constexpr float kShoulderRadius = 1.46f; // arm origin from the body axis
constexpr float kArmScale = 0.7f;        // the game scales both arms by this
constexpr float kHatHeight = 1.6f;       // hat origin above the feet

constexpr float kLeftArmPitch = -kPi / 2.0f;       // fixed pitch of the left arm
constexpr float kRightRestPitch = -kPi;            // right arm pitch at rest
constexpr float kRightSwingEndPitch = -1.2217305f; // at the end of the forward swing
constexpr float kRightSwingEndYaw = 0.9599311f;    // -35 deg - (-90 deg)
constexpr float kBatTilt = kPi / 2.0f;
constexpr float kBatScale = 3.0f;
constexpr float kLeftDanceMax = 0.3490658f; // sway along the left arm's z

// Length from the shoulder pivot to the centre of the hand, in arm model units.
constexpr float kHandDistance = 1.0f;
// Direction of each arm in its own y-z plane, as an angle from +y towards +z.
// The pitch adds to it: the right arm rests raised forward (40 deg from up)
// and chops down to 150 deg; the left arm hangs down, slightly forward.
constexpr float kRightArmAngle = 220.0f * kPi / 180.0f;
constexpr float kLeftArmAngle = 260.0f * kPi / 180.0f;
// Angle of the bat in its own y-z plane: leaning back over the shoulder at
// rest and reaching forward, 20 deg above level, at the end of the swing.
constexpr float kBatAngle = 50.0f * kPi / 180.0f;

} // namespace assetgen::rig
