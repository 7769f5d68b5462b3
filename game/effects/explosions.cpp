#include "effects/explosions.h"

#include "effects/particle_emitters.h"

namespace {

constexpr uint32_t kOrange = 0xFFFF7800;
constexpr uint32_t kYellow = 0xFFFADC00;
constexpr uint32_t kRed = 0xFFFF0000;

// Every burst starts at the origin of whatever world transform the frame
// draws the emitters with, and flies apart at random.
bool burst(int32_t count, const char* textureFile, uint32_t color) {
    return createEmitter(count, textureFile, Vec3{0, 0, 0}, Vec3{0, 0, 0}, Random, color);
}

}  // namespace

bool spawnExplosion() {
    if (!burst(20, "spark.bmp", kOrange)) return false;
    if (!burst(10, "particle.bmp", kYellow)) return false;
    return burst(50, "explosion.png", kRed);
}

void spawnSmallExplosion() {
    if (burst(10, "particle.bmp", kYellow)) return;
    if (burst(30, "explosion.png", kRed)) return;
    spawnExplosion();
}
