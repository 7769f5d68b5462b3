#include "core/screen_frame.h"

#include "core/game_world.h"
#include "scene/sky_dome.h"

void beginScreenFrame() {
    platform::GraphicsDevice& device = *world.device;
    device.clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
    device.beginScene();
    drawSkyDome();
}

void endScreenFrame() {
    world.device->endScene();
    world.device->present();
}

void setShipWorld(const Matrix& placement) {
    world.ship->device->setTransform(platform::TransformType::World, placement);
}
