#include "core/gamepad_input.h"

#include <map>

#include "core/game_world.h"
#include "core/window_input.h"

namespace {

using platform::PadAxis;
using platform::PadButton;

// A stick or trigger counts as pushed past half its travel and as let go
// only back inside the dead zone, a quarter of its travel; noise between the
// two never gives a second press.
constexpr int kPushedAt = 16384;
constexpr int kReleasedBelow = 8192;

// Where each pad's stick and right trigger were last held: -1, 0 or 1.
struct PadLatches {
    int stick = 0;
    int trigger = 0;
};

std::map<int32_t, PadLatches>& latches() {
    static std::map<int32_t, PadLatches> byPad;
    return byPad;
}

int heldDirection(int held, int position) {
    if (position >= kPushedAt) return 1;
    if (position <= -kPushedAt) return -1;
    if (held != 0 && position * held > kReleasedBelow) return held;
    return 0;
}

// The direction of a push that starts with this position (from rest or over
// to the other side), 0 when none starts.
int startsPush(int& held, int position) {
    const int before = held;
    held = heldDirection(before, position);
    return held != before ? held : 0;
}

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

void handlePadAxis(int32_t pad, PadAxis axis, int16_t position) {
    PadLatches& latch = latches()[pad];
    // Held positions are followed in every mode, so a stick still held when
    // play starts is no push.
    const bool playing = world.mode == GameMode::Playing;
    if (axis == PadAxis::LeftX) {
        const int direction = startsPush(latch.stick, position);
        if (direction != 0 && playing) {
            handleKey(direction > 0 ? platform::kKeyRight : platform::kKeyLeft);
        }
    } else if (axis == PadAxis::RightTrigger) {
        if (startsPush(latch.trigger, position) != 0 && playing) handleKey(platform::kKeySpace);
    }
}

void handlePadRemoved(int32_t pad) {
    latches().erase(pad);
    // A pad pulled out mid-flight pauses, as the player can no longer steer.
    if (world.mode == GameMode::Playing) handleKey(platform::kKeyEscape);
}

void rumbleOnCrash() {
    constexpr uint16_t kHalfStrength = 0x8000;
    constexpr uint32_t kShortMs = 300;
    platform::rumbleGamepads(kHalfStrength, kShortMs);
}
