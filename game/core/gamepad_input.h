#pragma once
// Gamepads play through the key table: each button, stick push and trigger
// pull becomes the key it stands for in the current mode.

#include <cstdint>

#include "core/platform/window_system.h"

void handlePadButton(platform::PadButton button);
// While a replay is watched, the buttons that pause play end it instead.
bool endsReplay(platform::PadButton button);
void handlePadPush(platform::PadAxis axis, int direction);
void handlePadRemoved(int32_t pad);
void rumbleOnCrash();
