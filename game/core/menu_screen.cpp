#include "core/game_world.h"
#include "core/screens.h"
#include "scene/graphics_setup.h"
#include "scene/sky_dome.h"
#include "scene/text.h"

namespace {

constexpr uint32_t kClearColor = 0xFF00FFE6;

// The small rectangle is moved for each menu line and put back afterwards,
// so the playing frame's small text stays in the top left corner.
void drawMenuLine(const char* text, int32_t left, int32_t top) {
    world.smallTextRect.left = left;
    world.smallTextRect.top = top;
    drawText(world.smallFont, text, world.smallTextRect, kMenuTextColor);
}

}  // namespace

void menuFrame() {
    world.cameraEye = {0.0f, 55.0f, 170.0f};
    world.cameraTarget = {0.0f, 0.0f, 0.0f};
    world.lightDirection = {0.0f, 1.0f, -2.0f};
    world.spin = static_cast<float>(static_cast<double>(world.spin) + 0.01);
    world.roll = 0.0f;
    world.steerCommand.clear();
    setupCamera();

    platform::GraphicsDevice& device = *world.device;
    device.clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
    device.beginScene();
    drawSkyDome();

    // TODO(meshes): the ship turning on its turntable.

    drawText(world.smallFont, "FPS: 60", world.smallTextRect, kMenuTextColor);
    drawText(world.largeFont, "Vorlune", world.largeTextRect, kMenuTextColor);
    drawMenuLine("New - F1", 250, 200);
    drawMenuLine("Continue - F2", 250, 250);
    drawMenuLine("Exit - F3", 250, 300);
    world.smallTextRect.top = 5;
    world.smallTextRect.left = 2;

    device.endScene();
    device.present();
}
