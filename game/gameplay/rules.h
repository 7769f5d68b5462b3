#pragma once
// The game's rules of motion and the sizes its objects are scaled to, stated
// once: the game plays by them, the level generator lays levels out by them
// and the tests fly by them. Each keeps the type the game computes with.

#include <cstdint>

namespace rules {

// The ship gains this much depth every playing frame (computed in double).
constexpr double kShipAdvance = 3.33;
// The ship stands this far ahead of its depth counter `shipZ`; so does a
// rocket it fires.
constexpr int32_t kShipLead = 90;
// The outer lanes' x; the middle lane is at 0.
constexpr float kLaneX = 30.0f;
// Sideways per frame while changing lanes, and the bank each step adds.
constexpr float kSteerStep = 1.0f;
constexpr float kBankStep = 0.008726646f;  // half a degree
// The height the ship flies at and rockets fly at.
constexpr float kShipHeight = 35.0f;
constexpr float kRocketHeight = 30.0f;
// A rocket gains this much depth every playing frame.
constexpr int32_t kRocketAdvance = 7;

// How the models are scaled in the world (their boxes too).
constexpr float kShipScaleSideways = 1.15f;  // x and z
constexpr float kShipScaleUp = 0.75f;
constexpr float kRockScale = 7.2f;
constexpr float kPickupScale = 1.5f;

}  // namespace rules
