#pragma once
// The pads the window system has open. Private to the platform layer: game
// code sees pads only as messages and the rumble call.

#include <cstdint>

namespace platform {

// Starts SDL's game-controller subsystem (with its mapping database, so
// common pads need no setup) and opens the pads already plugged in. Later
// pads announce themselves with a device-added event.
void startGamepads();
// Opens the pad at a joystick device index unless it is open already.
void openGamepad(int deviceIndex);
// Closes an unplugged pad; false when it was not one of ours.
bool closeGamepad(int32_t padId);
// Follows one reported position of an axis of a pad: the direction of a
// push it starts (see kMsgPadPush), 0 when it starts none.
int padPushFrom(int32_t padId, int axis, int position);

}  // namespace platform
