#include "core/game_world.h"
#include "core/platform/clock.h"
#include "core/screen_frame.h"
#include "effects/particle_emitters.h"
#include "gameplay/flight.h"
#include "gameplay/impact_rules.h"
#include "gameplay/rocks_and_rockets.h"
#include "gameplay/rules.h"
#include "scene/graphics_setup.h"
#include "scene/sky_dome.h"
#include "scene/text.h"

namespace {

constexpr int32_t kBannerTime = 2000;  // ms the level banner stays after a level starts

void placeShip() {
    SceneObject& ship = *world.ship;
    ship.rotation = matrixRotationZ(world.roll);
    ship.translation =
        matrixTranslation(world.shipX, rules::kShipHeight, world.shipZ + rules::kShipLead);
    ship.scale =
        matrixScaling(rules::kShipScaleSideways, rules::kShipScaleUp, rules::kShipScaleSideways);
    ship.updateWorldBox();
}

void drawShip() {
    SceneObject& ship = *world.ship;
    const Matrix placement =
        matrixMultiply(matrixMultiply(ship.scale, ship.rotation), ship.translation);
    ship.device->setTransform(platform::TransformType::World, placement);
    ship.meshResource->draw();
}

}  // namespace

void playingFrame() {
    world.lightDirection = {0.0f, 0.1f, -3.0f};
    world.cameraEye = {0.0f, 60.0f, world.shipZ + 170};
    world.cameraTarget = {0.0f, 35.0f, world.shipZ + 90};
    world.shipZ = static_cast<float>(world.shipZ - rules::kShipAdvance);
    placeShip();
    applyImpactRules();
    setupCamera();

    platform::GraphicsDevice& device = *world.device;
    device.clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
    device.beginScene();
    drawSkyDome();
    drawRocksAndPickups();
    moveAndDrawRockets();
    // Explosions are made around the origin; they appear where rocket slot 0
    // was last drawn.
    world.rockets[0]->device->setTransform(platform::TransformType::World,
                                           world.rockets[0]->translation);
    updateEmitters();
    drawEmitters();
    drawShip();

    const auto sinceLevelStart =
        static_cast<int32_t>(platform::timeMilliseconds() - world.levelStartTime);
    if (sinceLevelStart <= kBannerTime) {
        drawText(world.largeFont, world.levelBanner, world.largeTextRect, kScreenMessageColor);
    }
    drawText(world.smallFont, ".ESC-exit", world.smallTextRect, kMenuTextColor);
    drawReplayLabel();
    device.endScene();
    device.present();
}
