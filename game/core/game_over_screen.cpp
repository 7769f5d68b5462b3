#include "core/game_world.h"
#include "core/screen_frame.h"
#include "core/screens.h"
#include "effects/particle_emitters.h"
#include "gameplay/rocks_and_rockets.h"
#include "scene/text.h"

// The crash scene stays on view under the camera of the last playing frame;
// the wreck is not drawn, but its transform places the explosion.
void gameOverFrame() {
    beginScreenFrame();
    drawRocksAndPickups();
    const SceneObject& ship = *world.ship;
    setShipWorld(matrixMultiply(matrixMultiply(ship.scale, ship.rotation), ship.translation));
    updateEmitters();
    drawEmitters();
    expireParticles();
    drawText(world.largeFont, "Game Over", world.largeTextRect, kScreenMessageColor);
    endScreenFrame();
}
