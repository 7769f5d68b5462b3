#include "content/particle_textures.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "content/image.h"

namespace {

constexpr float kPi = 3.14159265f;

// `brightness(r, angle)` from the sprite's middle (r 0) to its rim (r 1).
Image radialSprite(int size, const std::function<float(float, float)>& brightness,
                   const Colour& tint) {
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = (x + 0.5f) / size * 2 - 1, dy = (y + 0.5f) / size * 2 - 1;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float b =
                r >= 1.0f ? 0.0f : std::clamp(brightness(r, std::atan2(dy, dx)), 0.0f, 1.0f);
            image.at(x, y) = toRgba(scaled(tint, b), b);
        }
    }
    return image;
}

// A hot point with four thin rays.
float spark(float r, float angle) {
    const float core = std::exp(-r * r * 40.0f);
    const float rays = std::pow(std::fabs(std::cos(2 * angle)), 24.0f) * (1.0f - r) * (1.0f - r);
    return core + 0.8f * rays;
}

// A soft round glow.
float glow(float r, float) { return std::pow(1.0f - r, 2.0f) * (1.0f - 0.2f * r); }

// A billowing fireball: a bright body whose edge wobbles round the rim.
float fireball(float r, float angle) {
    const float edge = 0.78f + 0.08f * std::sin(5 * angle) + 0.05f * std::sin(11 * angle + 1.3f);
    if (r >= edge) return 0.0f;
    const float t = r / edge;
    return (1.0f - t * t) * (0.85f + 0.15f * std::cos(t * kPi * 3));
}

}  // namespace

bool writeParticleTextures(const std::string& folder) {
    const Colour white{1, 1, 1}, warm = fromBytes(255, 236, 200);
    return saveBmp(radialSprite(32, spark, white), folder + "/spark.bmp") &&
           saveBmp(radialSprite(32, glow, white), folder + "/particle.bmp") &&
           savePng(radialSprite(64, fireball, warm), folder + "/explosion.png");
}
