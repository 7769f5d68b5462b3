#include "core/screen_frame.h"

#include "core/game_world.h"
#include "scene/graphics_setup.h"
#include "scene/sky_dome.h"
#include "scene/text.h"

namespace {

// Room for the word in the small font, at the reference layout.
constexpr int32_t kReplayLabelWidth = 80;

}  // namespace

void beginScreenFrame() {
    platform::GraphicsDevice& device = *world.device;
    device.clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
    device.beginScene();
    drawSkyDome();
}

void drawReplayLabel() {
    if (!world.watchingReplay) return;
    const Rect corner = {world.screenWidth - layoutPixels(kReplayLabelWidth), world.smallTextRect.top,
                         world.screenWidth - world.smallTextRect.left, world.screenHeight};
    drawText(world.smallFont, "Replay", corner, kMenuTextColor);
}

void endScreenFrame() {
    drawReplayLabel();
    world.device->endScene();
    world.device->present();
}

void setShipWorld(const Matrix& placement) {
    world.ship->device->setTransform(platform::TransformType::World, placement);
}
