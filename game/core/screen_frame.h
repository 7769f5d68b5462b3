#pragma once
// What every screen's frame begins and ends with.

#include <cstdint>

#include "scene/platform/math3d.h"

constexpr uint32_t kClearColor = 0xFF00FFE6;  // the sky's colour behind everything

// Clears target and depth, begins the scene and draws the sky dome.
void beginScreenFrame();
// The "Replay" label in the top right corner while a replay is shown.
void drawReplayLabel();
// Ends the scene and presents it.
void endScreenFrame();
// Sets a placement built from the ship's matrices as the world transform.
void setShipWorld(const Matrix& placement);
