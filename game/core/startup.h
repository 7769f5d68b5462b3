#pragma once
// One-time start-up of the game and the matching shutdown.

#include "core/platform/window_system.h"

bool loadGame(platform::WindowHandle window);
void shutdownGame();
