#include "effects/particle_emitters.h"

#include "core/game_world.h"

EmitterList* createEmitterList() { return new EmitterList{}; }

void stopAllEmitters() {
    if (world.emitters == nullptr) return;
    for (ParticleEmitter* emitter : world.emitters->entries) emitter->active = 0;
}

void destroyEmitterList() {
    delete world.emitters;
    world.emitters = nullptr;
}
