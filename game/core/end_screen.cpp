#include "core/game_world.h"
#include "core/screen_frame.h"
#include "core/screens.h"
#include "effects/particle_emitters.h"
#include "scene/text.h"

void theEndFrame() {
    beginScreenFrame();
    const SceneObject& ship = *world.ship;
    setShipWorld(matrixMultiply(ship.scale, ship.translation));
    updateEmitters();
    drawEmitters();
    expireParticles();
    drawText(world.largeFont,
             "The end! TNX 4 playing!\nThanks to Doravin for mapping & Music.\nHope you enjoyed!",
             world.largeTextRect, kScreenMessageColor);
    endScreenFrame();
}
