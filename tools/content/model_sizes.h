#pragma once
// The models' sizes in model units. Why they are what they are is written
// at the top of generate_content.cpp, from the game's rules.

namespace model_sizes {

// Rock: drawn x7.2. Its box half-width 1.6 (11.5 in the world) leaves a
// rock in the next lane 12 units clear of the ship's box.
constexpr float kRockHalfWidth = 1.6f;
constexpr float kRockHalfHeight = 1.55f;
constexpr float kRockHalfDepth = 1.5f;

// Ship: drawn x(1.15, 0.75, 1.15); the nose points to -z, the way it flies.
constexpr float kShipHalfSpan = 5.0f;
constexpr float kShipNoseZ = -8.0f;
constexpr float kShipTailZ = 6.5f;

// Sky dome: a whole sphere around the camera, drawn unscaled.
constexpr float kDomeRadius = 400.0f;

// Bomb pickup: drawn x1.5, spinning about y, so round about y.
constexpr float kBombRadius = 2.0f;

// Rocket: drawn unscaled and turned half round about y, so the model's nose
// points to +z and the model is centred in z (its box does not turn with it).
constexpr float kRocketHalfLength = 6.0f;
constexpr float kRocketBodyRadius = 0.75f;
constexpr float kRocketFinReach = 2.0f;

}  // namespace model_sizes
