#pragma once
// The background tune, played again from its start each time it ends; its
// completion reaches the game thread as the window's music notification.

#include "core/platform/window_system.h"

// The levels of the music and of the sounds, in percent from 0 (silent) to
// 100, for the whole run of the game. Called before startMusic; they hold
// from the moment the device opens.
void setSoundLevels(int musicPercent, int soundPercent);
// Opens the audio device and starts "something.mp3" once, with its end
// notified to `window`. Without an audio device nothing is created and the
// game runs silently.
void startMusic(platform::WindowHandle window);
// Drains the music player's event queue; called for the music notification.
void onMusicEvent();
// Releases the music player's handles and then closes the audio device.
// Safe when the music never started.
void releaseMusic();
// For the window's message that the sound device went away: plays on on the
// system's default device, the tune from where it was, its repeats and the
// levels unchanged. When no device opens any more the game goes on silently,
// for good. Harmless when no device was open or the music never started.
void onAudioDeviceLost();
