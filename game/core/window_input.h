#pragma once
// The game window and its window procedure: icons at creation, the music
// notification, key presses turned into game commands by mode, gamepad
// input (through the same keys), and closing.

#include <cstdint>

#include "core/platform/window_system.h"

// The music player's private notification message.
constexpr uint32_t kMusicNotification = platform::kMsgApp + 1;

// A key press by mode, whether from the keyboard or standing in for a pad button.
void handleKey(uintptr_t key);

platform::WindowHandle createGameWindow(int width, int height);
intptr_t windowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                    intptr_t lParam);
