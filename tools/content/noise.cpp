#include "content/noise.h"

#include <cmath>

namespace {

uint32_t mixBits(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }
float lerp(float a, float b, float t) { return a + (b - a) * t; }
int wrap(int value, int period) { return ((value % period) + period) % period; }

}  // namespace

float latticeValue(int x, int y, int z, uint32_t seed) {
    uint32_t h = mixBits(seed * 0x9e3779b9u + static_cast<uint32_t>(x));
    h = mixBits(h ^ (static_cast<uint32_t>(y) * 0x85ebca6bu));
    h = mixBits(h ^ (static_cast<uint32_t>(z) * 0xc2b2ae35u));
    return static_cast<float>(h >> 8) / 16777216.0f;
}

float tiledNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const float tx = smooth(x - fx), ty = smooth(y - fy);
    auto at = [&](int dx, int dy) {
        return latticeValue(wrap(x0 + dx, periodX), wrap(y0 + dy, periodY), 0, seed);
    };
    return lerp(lerp(at(0, 0), at(1, 0), tx), lerp(at(0, 1), at(1, 1), tx), ty);
}

float spaceNoise(float x, float y, float z, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy), z0 = static_cast<int>(fz);
    const float tx = smooth(x - fx), ty = smooth(y - fy), tz = smooth(z - fz);
    auto at = [&](int dx, int dy, int dz) { return latticeValue(x0 + dx, y0 + dy, z0 + dz, seed); };
    const float near =
        lerp(lerp(at(0, 0, 0), at(1, 0, 0), tx), lerp(at(0, 1, 0), at(1, 1, 0), tx), ty);
    const float far =
        lerp(lerp(at(0, 0, 1), at(1, 0, 1), tx), lerp(at(0, 1, 1), at(1, 1, 1), tx), ty);
    return lerp(near, far, tz);
}

float tiledFractal(float x, float y, int periodX, int periodY, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * tiledNoise(x, y, periodX, periodY, seed + octave);
        total += weight;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

float spaceFractal(float x, float y, float z, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * spaceNoise(x, y, z, seed + octave);
        total += weight;
        x *= 2;
        y *= 2;
        z *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}
