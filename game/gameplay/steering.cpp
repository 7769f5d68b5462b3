#include "core/game_world.h"
#include "gameplay/flight.h"
#include "gameplay/rules.h"

namespace {

constexpr float kLaneLimit = rules::kLaneX;
constexpr float kBankStep = rules::kBankStep;

}  // namespace

void applySteering() {
    if (world.steerCommand == "right" && world.shipX > -kLaneLimit) {
        world.shipX = world.shipX - rules::kSteerStep;
        world.roll = world.roll + kBankStep;
        if (world.shipX == 0.0f) world.steerCommand.clear();
    } else if (world.steerCommand == "left" && world.shipX < kLaneLimit) {
        world.shipX = world.shipX + rules::kSteerStep;
        world.roll = world.roll - kBankStep;
        if (world.shipX == 0.0f) world.steerCommand.clear();
    }
    // At a resting place the bank levels out by a thirtieth per frame.
    const bool resting =
        world.shipX == 0.0f || world.shipX == kLaneLimit || world.shipX == -kLaneLimit;
    if (world.roll != 0.0f && resting) world.roll = world.roll - world.roll / 30;
}
