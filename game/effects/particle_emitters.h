#pragma once
// Point-sprite bursts: a fixed number of particles born together, each moving
// by its own constant velocity once per frame, drawn additively.

#include <cstdint>
#include <string>
#include <vector>

#include "scene/platform/graphics_device.h"
#include "scene/platform/math3d.h"

struct Particle {
    Vec3 position;
    Vec3 velocity;  // world units per frame
    uint32_t color = 0;
    uint8_t alive = 0;
    uint32_t birthTime = 0;
};

struct ParticleEmitter {
    platform::GraphicsDevice* device = nullptr;
    platform::PointBuffer* vertexBuffer = nullptr;
    platform::Texture* texture = nullptr;
    std::vector<Particle> particles;
    int32_t particleCount = 0;
    uint8_t active = 0;
};

enum VelocityMode : int32_t { RandomAroundBase = 0, Random = 1, Fixed = 2 };

// The live emitters, in creation order.
struct EmitterList {
    std::vector<ParticleEmitter*> entries;
};

EmitterList* createEmitterList();
// Appends a burst of `count` particles at `position` to the game's list;
// false (and nothing appended) when the texture file cannot be loaded.
// Any `velocityMode` other than RandomAroundBase and Fixed means Random.
bool createEmitter(int32_t count, const std::string& textureFile, const Vec3& position,
                   const Vec3& velocity, int32_t velocityMode, uint32_t color);
// One movement step; drops inactive emitters, keeping the order of the rest.
void updateEmitters();
// Draws with the world transform already on the device; drops inactive emitters.
void drawEmitters();
// Kills particles more than 10 seconds old; an emitter with none left ends.
void expireParticles();
// Ends every emitter; the next update or draw pass removes them.
void stopAllEmitters();
// Frees every emitter with its texture and point buffer, then the list.
void destroyEmitterList();
