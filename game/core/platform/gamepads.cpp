#include <SDL2/SDL.h>

#include <map>

#include "core/platform/gamepads_internal.h"
#include "core/platform/window_system.h"

namespace platform {

namespace {

std::map<SDL_JoystickID, SDL_GameController*>& openPads() {
    static std::map<SDL_JoystickID, SDL_GameController*> pads;
    return pads;
}

// Past half its travel an axis is pushed; it is let go only back inside a
// quarter of it.
constexpr int kPushedAt = 16384;
constexpr int kReleasedBelow = 8192;

// Where each pad's axes are held: -1, 0 or 1.
std::map<std::pair<SDL_JoystickID, int>, int>& heldAxes() {
    static std::map<std::pair<SDL_JoystickID, int>, int> held;
    return held;
}

int heldDirection(int held, int position) {
    if (position >= kPushedAt) return 1;
    if (position <= -kPushedAt) return -1;
    if (held != 0 && position * held > kReleasedBelow) return held;
    return 0;
}

}  // namespace

void startGamepads() {
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0) return;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;  // the game plays on by keyboard
    for (int index = 0; index < SDL_NumJoysticks(); ++index) openGamepad(index);
}

void openGamepad(int deviceIndex) {
    if (SDL_IsGameController(deviceIndex) == SDL_FALSE) return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    // The pads found at start also send a device-added event.
    if (id < 0 || openPads().count(id) != 0) return;
    if (SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex)) openPads()[id] = pad;
}

bool closeGamepad(int32_t padId) {
    const auto found = openPads().find(padId);
    if (found == openPads().end()) return false;
    SDL_GameControllerClose(found->second);
    openPads().erase(found);
    std::erase_if(heldAxes(), [padId](const auto& held) { return held.first.first == padId; });
    return true;
}

int padPushFrom(int32_t padId, int axis, int position) {
    int& held = heldAxes()[{padId, axis}];
    const int before = held;
    held = heldDirection(before, position);
    return held != before ? held : 0;
}

void rumbleGamepads(uint16_t strength, uint32_t durationMs) {
    for (const auto& [id, pad] : openPads()) {
        if (SDL_GameControllerHasRumble(pad) == SDL_TRUE) {
            SDL_GameControllerRumble(pad, strength, strength, durationMs);
        }
    }
}

}  // namespace platform
