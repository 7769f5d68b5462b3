#pragma once
// Puts the one game record back to its start values between tests, keeping
// the screen size that was read at program start.

#include "core/game_world.h"

inline void resetWorld() {
    const int16_t width = world.screenWidth;
    const int16_t height = world.screenHeight;
    EmitterList* emitters = world.emitters;
    world.~GameWorld();
    new (&world) GameWorld();
    world.screenWidth = width;
    world.screenHeight = height;
    world.emitters = emitters;
}
