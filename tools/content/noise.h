#pragma once
// Deterministic noise for the procedural textures and shapes: the same
// numbers on every build, with no random generator state.

#include <cstdint>

// A number from 0 to 1 fixed by the lattice point and the seed.
float latticeValue(int x, int y, int z, uint32_t seed);

// Smooth value noise from 0 to 1. The 2D kind repeats every `periodX` and
// `periodY` units, so textures made from it tile without a seam.
float tiledNoise(float x, float y, int periodX, int periodY, uint32_t seed);
float spaceNoise(float x, float y, float z, uint32_t seed);

// Several octaves of the above, each twice as fine and half as strong; 0 to 1.
float tiledFractal(float x, float y, int periodX, int periodY, int octaves, uint32_t seed);
float spaceFractal(float x, float y, float z, int octaves, uint32_t seed);
