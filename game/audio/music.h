#pragma once
// The background tune, played again from its start each time it ends; its
// completion reaches the game thread as the window's music notification.

#include "core/platform/window_system.h"

// Opens the audio device and starts "something.mp3" once, with its end
// notified to `window`. Without an audio device nothing is created and the
// game runs silently.
void startMusic(platform::WindowHandle window);
// Drains the music player's event queue; called for the music notification.
void onMusicEvent();
// Releases the music player's handles and then closes the audio device.
// Safe when the music never started.
void releaseMusic();
