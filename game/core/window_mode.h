#pragma once
// How the game's window stands on the desktop, and what follows from it:
// full screen or a resizable window, the picture fitted to the window's
// size, and play paused when the player turns to another window.

#include "core/platform/window_system.h"

// F11 and Alt+Enter: full screen to window and back, remembered for the next start.
void toggleFullScreen(platform::WindowHandle window);
// The window's drawable is now width x height pixels.
void onWindowResized(platform::WindowHandle window, int width, int height);
// Another window took the keyboard: play pauses as Esc pauses it, unless
// the player asked for it not to.
void onFocusLost();
