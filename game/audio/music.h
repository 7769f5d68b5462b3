#pragma once
// The background tune, played again from its start each time it ends; its
// completion reaches the game thread as the window's music notification.

#include "core/platform/window_system.h"

void startMusic(platform::WindowHandle window);
// Drains the music player's event queue; called for the music notification.
void onMusicEvent();
