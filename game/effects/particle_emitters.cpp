#include "effects/particle_emitters.h"

#include <cstdlib>

#include "core/game_world.h"
#include "core/platform/clock.h"
#include "scene/platform/texture_file.h"

namespace {

// Particles older than this die on the screens that age them.
constexpr int32_t kParticleLifetimeMs = 10000;

// The velocity draws are laid out for a generator of 15 bits (0 to 32767);
// wider generators are cut to their top 15 bits, which keeps every draw
// within -0.5 to +0.5 and still takes exactly one number from `rand`.
int drawRandom15() {
    const int value = std::rand();
    if constexpr (RAND_MAX > 32767) {
        return static_cast<int>(static_cast<unsigned>(value) /
                                ((static_cast<unsigned>(RAND_MAX) + 1u) / 32768u));
    } else {
        return value;
    }
}

float randomComponent() {
    return static_cast<float>(static_cast<double>(drawRandom15()) / 32767.0 - 0.5);
}

bool loadEmitterTexture(ParticleEmitter& emitter, const std::string& textureFile) {
    emitter.texture = platform::loadTextureFile(*emitter.device, textureFile);
    if (emitter.texture == nullptr) return false;
    emitter.device->setSamplerState(0, platform::SamplerState::MinFilter, platform::kFilterLinear);
    emitter.device->setSamplerState(0, platform::SamplerState::MagFilter, platform::kFilterLinear);
    return true;
}

void allocateParticles(ParticleEmitter& emitter, int32_t count) {
    // A negative count cannot be allocated; it makes an emitter of none.
    emitter.particleCount = count > 0 ? count : 0;
    emitter.particles.resize(static_cast<size_t>(emitter.particleCount));
    for (Particle& particle : emitter.particles) {
        particle.position = {};
        particle.color = 0;
        particle.alive = 1;
        // Each particle reads the clock itself; birth times may differ within a burst.
        platform::beginTimerPeriod(1);
        particle.birthTime = platform::timeMilliseconds();
    }
}

void initParticles(ParticleEmitter& emitter, const Vec3& position, const Vec3& velocity,
                   int32_t velocityMode, uint32_t color) {
    emitter.vertexBuffer = emitter.device->createPointBuffer(emitter.particleCount);
    for (Particle& particle : emitter.particles) {
        particle.alive = 1;
        particle.color = color;
        particle.position = position;
        if (velocityMode == Fixed) {
            particle.velocity = velocity;
            continue;
        }
        const float rx = randomComponent();
        const float ry = randomComponent();
        const float rz = randomComponent();
        if (velocityMode == RandomAroundBase) {
            particle.velocity = {velocity.x + rx, velocity.y + ry, velocity.z + rz};
        } else {
            particle.velocity = {rx, ry, rz};
        }
    }
}

// An emitter that leaves the list is never used again, so its texture,
// point buffer and particles go with it.
void releaseEmitter(ParticleEmitter* emitter) {
    if (emitter->device != nullptr) {
        emitter->device->releaseTexture(emitter->texture);
        emitter->device->releasePointBuffer(emitter->vertexBuffer);
    }
    delete emitter;
}

void moveParticles(ParticleEmitter& emitter) {
    for (Particle& particle : emitter.particles) {
        if (particle.alive != 1) continue;
        particle.position.x += particle.velocity.x;
        particle.position.y += particle.velocity.y;
        particle.position.z += particle.velocity.z;
    }
}

void drawEmitter(ParticleEmitter& emitter) {
    using platform::RenderState;
    platform::GraphicsDevice& device = *emitter.device;
    device.setRenderState(RenderState::ZWriteEnable, 0);
    device.setRenderState(RenderState::AlphaBlendEnable, 1);
    device.setRenderState(RenderState::DestBlend, platform::kBlendOne);
    device.setRenderState(RenderState::PointSpriteEnable, 1);
    device.setRenderState(RenderState::PointScaleEnable, 1);
    device.setRenderState(RenderState::PointSize, platform::floatBits(1.0f));
    device.setRenderState(RenderState::PointSizeMin, platform::floatBits(1.0f));
    device.setRenderState(RenderState::PointScaleA, platform::floatBits(0.0f));
    device.setRenderState(RenderState::PointScaleB, platform::floatBits(0.0f));
    device.setRenderState(RenderState::PointScaleC, platform::floatBits(1.0f));

    // A buffer that could not be made or locked is neither written nor drawn.
    if (platform::PointVertex* vertices = device.lockPointBuffer(emitter.vertexBuffer)) {
        int living = 0;
        for (const Particle& particle : emitter.particles) {
            if (particle.alive != 1) continue;
            vertices[living++] = {particle.position.x, particle.position.y, particle.position.z,
                                  particle.color};
        }
        device.unlockPointBuffer(emitter.vertexBuffer);
        device.setTexture(0, emitter.texture);
        device.setPointSource(emitter.vertexBuffer);
        device.drawPointList(0, living);
    }

    device.setRenderState(RenderState::ZWriteEnable, 1);
    device.setRenderState(RenderState::AlphaBlendEnable, 0);
    device.setRenderState(RenderState::PointSpriteEnable, 0);
    device.setRenderState(RenderState::PointScaleEnable, 0);
}

// Walks the list front to back, dropping inactive emitters in place so the
// rest keep their order, and hands every active one to `step`.
template <typename Step>
void passOverEmitters(Step step) {
    if (world.emitters == nullptr) return;
    std::vector<ParticleEmitter*>& entries = world.emitters->entries;
    for (size_t i = 0; i < entries.size();) {
        ParticleEmitter* emitter = entries[i];
        if (emitter->active == 0) {
            entries.erase(entries.begin() + static_cast<ptrdiff_t>(i));
            releaseEmitter(emitter);
            continue;
        }
        step(*emitter);
        ++i;
    }
}

}  // namespace

EmitterList* createEmitterList() { return new EmitterList{}; }

bool createEmitter(int32_t count, const std::string& textureFile, const Vec3& position,
                   const Vec3& velocity, int32_t velocityMode, uint32_t color) {
    if (world.emitters == nullptr || world.device == nullptr) return false;
    auto* emitter = new ParticleEmitter{};
    emitter->device = world.device;
    emitter->active = 1;
    if (!loadEmitterTexture(*emitter, textureFile)) {
        releaseEmitter(emitter);
        return false;
    }
    allocateParticles(*emitter, count);
    initParticles(*emitter, position, velocity, velocityMode, color);
    world.emitters->entries.push_back(emitter);
    return true;
}

void updateEmitters() { passOverEmitters(moveParticles); }

void drawEmitters() { passOverEmitters(drawEmitter); }

void expireParticles() {
    if (world.emitters == nullptr) return;
    for (ParticleEmitter* emitter : world.emitters->entries) {
        if (emitter->active != 1) continue;
        const uint32_t now = platform::timeMilliseconds();
        int32_t old = 0;
        for (Particle& particle : emitter->particles) {
            // Signed difference, so the clock's wrap does not age anything.
            if (static_cast<int32_t>(now - particle.birthTime) > kParticleLifetimeMs) {
                particle.alive = 0;
                ++old;
            }
        }
        if (old == emitter->particleCount) emitter->active = 0;
    }
}

void stopAllEmitters() {
    if (world.emitters == nullptr) return;
    for (ParticleEmitter* emitter : world.emitters->entries) emitter->active = 0;
}

void destroyEmitterList() {
    if (world.emitters == nullptr) return;
    for (ParticleEmitter* emitter : world.emitters->entries) releaseEmitter(emitter);
    delete world.emitters;
    world.emitters = nullptr;
}
