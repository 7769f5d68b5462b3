#include "core/game_world.h"

#include "core/platform/window_system.h"

GameWorld::GameWorld() {
    const platform::ScreenSize screen = platform::primaryScreenSize();
    screenWidth = static_cast<int16_t>(screen.width);
    screenHeight = static_cast<int16_t>(screen.height);
    steerCommand.clear();
}

GameWorld world;
