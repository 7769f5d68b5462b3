#pragma once
// The game window and its window procedure: icons at creation, the music
// notification, key presses turned into game commands by mode, and closing.

#include <cstdint>

#include "core/platform/window_system.h"

// The music player's private notification message.
constexpr uint32_t kMusicNotification = platform::kMsgApp + 1;

platform::WindowHandle createGameWindow(int width, int height);
intptr_t windowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                    intptr_t lParam);
