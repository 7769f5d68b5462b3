#include "core/gamepad_input.h"

#include "core/game_world.h"
#include "core/window_input.h"

namespace {

using platform::PadAxis;
using platform::PadButton;

// The key a button stands for in the current mode, 0 for none.
uintptr_t keyForButton(PadButton button) {
    switch (world.mode) {
        case GameMode::Menu:
            if (button == PadButton::A || button == PadButton::Start) return platform::kKeyF2;
            if (button == PadButton::Y) return platform::kKeyF1;
            if (button == PadButton::Back) return platform::kKeyF3;
            return 0;
        case GameMode::Playing:
            if (button == PadButton::DpadLeft) return platform::kKeyLeft;
            if (button == PadButton::DpadRight) return platform::kKeyRight;
            if (button == PadButton::A) return platform::kKeySpace;
            if (button == PadButton::Start || button == PadButton::B) return platform::kKeyEscape;
            return 0;
        case GameMode::GameOver:
            if (button == PadButton::A || button == PadButton::B || button == PadButton::Start) {
                return platform::kKeyEnter;
            }
            return 0;
        case GameMode::TheEnd: return platform::kKeyOther;
        default: return 0;
    }
}

}  // namespace

void handlePadButton(PadButton button) {
    if (const uintptr_t key = keyForButton(button); key != 0) handleKey(key);
}

bool endsReplay(PadButton button) {
    return button == PadButton::B || button == PadButton::Start || button == PadButton::Back;
}

void handlePadPush(PadAxis axis, int direction) {
    // Pushes outside play are passed over; the window system follows held
    // positions in every mode, so a stick still held when play starts is no push.
    if (world.mode != GameMode::Playing || direction == 0) return;
    if (axis == PadAxis::LeftX) handleKey(direction > 0 ? platform::kKeyRight : platform::kKeyLeft);
    if (axis == PadAxis::RightTrigger) handleKey(platform::kKeySpace);
}

void handlePadRemoved(int32_t) {
    // A pad pulled out mid-flight pauses, as the player can no longer steer.
    if (world.mode == GameMode::Playing) handleKey(platform::kKeyEscape);
}

void rumbleOnCrash() {
    constexpr uint16_t kHalfStrength = 0x8000;
    constexpr uint32_t kShortMs = 300;
    platform::rumbleGamepads(kHalfStrength, kShortMs);
}
