#include "gameplay/rocks_and_rockets.h"

#include <limits>

#include "core/game_world.h"
#include "core/platform/clock.h"
#include "gameplay/rules.h"

namespace {

void drawPlaced(SceneObject& object, const Matrix& placement) {
    object.device->setTransform(platform::TransformType::World, placement);
    object.updateWorldBox();
    object.meshResource->draw();
}

}  // namespace

void drawRocksAndPickups() {
    for (int i = 0; i < world.rockCount && i < kRockSlots; ++i) {
        SceneObject& rock = *world.rocks[i];
        const RockPosition& position = world.rockPos[i];
        // Depths are negated as integers, in 64 bits so none can overflow.
        rock.translation =
            matrixTranslation(static_cast<float>(position.x), static_cast<float>(position.y),
                              static_cast<float>(-static_cast<int64_t>(position.z)));
        rock.scale = matrixScaling(rules::kRockScale, rules::kRockScale, rules::kRockScale);
        drawPlaced(rock, matrixMultiply(rock.scale, rock.translation));
    }
    for (int i = 0; i < world.pickupCount && i < kPickupSlots; ++i) {
        if (world.pickupActive[i] != 1) continue;
        SceneObject& pickup = *world.pickups[i];
        // One radian per second, all pickups in step.
        const auto angle = static_cast<float>(platform::timeMilliseconds() / 1000.0);
        pickup.rotation = matrixRotationY(angle);
        pickup.scale = matrixScaling(rules::kPickupScale, rules::kPickupScale, rules::kPickupScale);
        drawPlaced(pickup, matrixMultiply(matrixMultiply(pickup.rotation, pickup.scale),
                                          pickup.translation));
    }
}

void placeRocket(int slot) {
    SceneObject& rocket = *world.rockets[slot];
    rocket.translation =
        matrixTranslation(static_cast<float>(world.rocketX[slot]), rules::kRocketHeight,
                          static_cast<float>(world.rocketZ[slot]));
}

void moveAndDrawRockets() {
    for (int j = 0; j < kRocketSlots; ++j) {
        if (world.rocketActive[j] != 1) continue;
        SceneObject& rocket = *world.rockets[j];
        placeRocket(j);
        drawPlaced(rocket, matrixMultiply(rocket.rotation, rocket.translation));
        // A rocket that misses everything flies on without end; at the edge of
        // the 32-bit range, far beyond any rock, it stops instead of overflowing.
        if (world.rocketZ[j] >= std::numeric_limits<int32_t>::min() + rules::kRocketAdvance) {
            world.rocketZ[j] -= rules::kRocketAdvance;
        }
    }
}
