#include "gameplay/impact_rules.h"

#include <cstdio>

#include "audio/sound.h"
#include "core/game_world.h"
#include "core/gamepad_input.h"
#include "effects/explosions.h"
#include "gameplay/number_text.h"
#include "gameplay/progress_file.h"
#include "gameplay/rules.h"

namespace {

void completeLevelWhenPassed() {
    if (!(world.shipZ + rules::kShipLead < world.levelEndZ)) return;
    world.mode = GameMode::LevelTransition;
    world.level = world.level + 1;
    std::snprintf(world.levelBanner, sizeof world.levelBanner, "Level %d", world.level);
    world.shipZ = 0.0f;
    saveProgress();
    if (world.level > kLastLevel) world.mode = GameMode::TheEnd;
}

void crash() {
    playExplosionSound();
    rumbleOnCrash();
    world.shipZ = 0.0f;
    world.mode = GameMode::GameOver;
    world.shipX = 0.0f;
    world.spin = 0.0f;
    world.bombs = 0;
    spawnExplosion();
    spawnExplosion();
    spawnExplosion();
}

// Rocket hits, then the ship's crash, rock by rock; a crash ends the pass.
void strikeRocks() {
    for (int i = 0; i < world.rockCount && i < kRockSlots; ++i) {
        for (int j = 0; j < kRocketSlots; ++j) {
            if (world.rocketActive[j] != 1) continue;
            if (!boxesOverlap(*world.rocks[i], *world.rockets[j])) continue;
            playExplosionSound();
            world.rocketActive[j] = 0;
            // The rock only moves when next drawn: later rockets in this pass
            // still meet its old box.
            world.rockPos[i].z = truncateToInt32(world.shipZ + 120);
            spawnSmallExplosion();
        }
        if (boxesOverlap(*world.rocks[i], *world.ship)) {
            crash();
            return;
        }
    }
}

void collectPickups() {
    int32_t bombs = world.bombs;
    for (int i = 0; i < world.pickupCount && i < kPickupSlots; ++i) {
        if (boxesOverlap(*world.pickups[i], *world.ship) && world.pickupActive[i] == 1) {
            world.pickupActive[i] = 0;
            bombs += 1;
        }
    }
    world.bombs = bombs;
}

}  // namespace

bool boxesOverlap(const SceneObject& a, const SceneObject& b) {
    return a.minBounds.x < b.maxBounds.x && a.maxBounds.x > b.minBounds.x &&
           a.minBounds.y < b.maxBounds.y && a.maxBounds.y > b.minBounds.y &&
           a.minBounds.z < b.maxBounds.z && a.maxBounds.z > b.minBounds.z;
}

void applyImpactRules() {
    completeLevelWhenPassed();
    strikeRocks();
    collectPickups();
}
