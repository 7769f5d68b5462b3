// The rock and pickup files of a level hold whatever the input holds: the
// reader must not crash, and its counts must stay within the slots.

#include <cstdint>

#include "core/game_world.h"
#include "fuzz_support.h"
#include "gameplay/level_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::enterWorkingFolder();
    // The same bytes serve both files, so each input tries both number readers.
    fuzz::writeInput("Level0.vr", data, size);
    fuzz::writeInput("Level0.su", data, size);
    world.level = 0;
    world.mode = GameMode::Playing;
    world.levelEndZ = 50.0f;
    loadLevel();
    fuzz::require(world.mode == GameMode::Playing, "a level that exists ends the game");
    fuzz::require(world.rockCount >= 1 && world.rockCount <= kRockSlots, "rock count in its slots");
    fuzz::require(world.pickupCount >= 1 && world.pickupCount <= kPickupSlots,
                  "pickup count in its slots");
    fuzz::require(world.levelEndZ <= 50.0f, "the level end only comes closer");
    return 0;
}
