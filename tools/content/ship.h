#pragma once
// The player's ship: "bigship.x" with its textures "hull.bmp" and "canopy.bmp"
// (its engines glow with "flame.bmp").

#include <string>

bool writeShip(const std::string& folder);
