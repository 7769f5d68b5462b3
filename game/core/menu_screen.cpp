#include "core/game_world.h"
#include "core/screen_frame.h"
#include "core/screens.h"
#include "scene/graphics_setup.h"
#include "scene/text.h"

namespace {

// The small rectangle is moved for each menu line and put back afterwards,
// so the playing frame's small text stays in the top left corner.
void drawMenuLine(const char* text, int32_t left, int32_t top) {
    world.smallTextRect.left = layoutPixels(left);
    world.smallTextRect.top = layoutPixels(top);
    drawText(world.smallFont, text, world.smallTextRect, kMenuTextColor);
}

// The ship turns at the world origin, without its translation.
void drawShipOnTurntable() {
    SceneObject& ship = *world.ship;
    ship.scale = matrixScaling(1.3f, 0.8f, 1.3f);
    ship.rotation = matrixRotationY(world.spin);
    setShipWorld(matrixMultiply(ship.scale, ship.rotation));
    ship.meshResource->draw();
}

}  // namespace

void menuFrame() {
    world.cameraEye = {0.0f, 55.0f, 170.0f};
    world.cameraTarget = {0.0f, 0.0f, 0.0f};
    world.lightDirection = {0.0f, 1.0f, -2.0f};
    // One turn in about 629 frames.
    world.spin = static_cast<float>(static_cast<double>(world.spin) + 0.01);
    world.roll = 0.0f;
    world.steerCommand.clear();
    setupCamera();

    beginScreenFrame();
    drawShipOnTurntable();
    drawText(world.smallFont, "FPS: 60", world.smallTextRect, kMenuTextColor);
    drawText(world.largeFont, "Vorlune", world.largeTextRect, kMenuTextColor);
    drawMenuLine("New - F1", 250, 200);
    drawMenuLine("Continue - F2", 250, 250);
    drawMenuLine("Exit - F3", 250, 300);
    world.smallTextRect.top = 5;
    world.smallTextRect.left = 2;
    endScreenFrame();
}
