#pragma once
// The explosion: a burst of filtered noise with a low thump, mono.

#include <vector>

// Samples at kSampleRate, -1..1, a little under a second long.
std::vector<float> makeExplosionSound();
