#pragma once
// The explosion sprites: "spark.bmp", "particle.bmp" and "explosion.png".
// Sprites are added onto the scene and tinted by their particle's colour, so
// they are near-white in the middle and fade to black (and, in the PNG, to
// transparent) at the rim: no square edge ever shows.

#include <string>

bool writeParticleTextures(const std::string& folder);
