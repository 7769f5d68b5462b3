#include "core/game_world.h"
#include "core/platform/clock.h"
#include "core/screen_frame.h"
#include "core/screens.h"
#include "gameplay/level_files.h"
#include "scene/text.h"

// One frame: the ship where play left it with the next level's banner, then
// that level is loaded and play resumes.
void levelTransitionFrame() {
    beginScreenFrame();
    SceneObject& ship = *world.ship;
    setShipWorld(matrixMultiply(matrixMultiply(ship.scale, ship.rotation), ship.translation));
    ship.meshResource->draw();
    drawText(world.largeFont, world.levelBanner, world.largeTextRect, kScreenMessageColor);
    endScreenFrame();

    // A missing rock file here makes the loader ask for the end, but play
    // goes on with the previous level's rocks and the new level's pickups:
    // with every level file in place this cannot happen, and a damaged
    // install still plays rather than showing credits for levels never flown.
    loadLevel();
    platform::beginTimerPeriod(1);
    // Stamped after loading, so the banner's two seconds are all play.
    world.levelStartTime = platform::timeMilliseconds();
    world.mode = GameMode::Playing;
}
