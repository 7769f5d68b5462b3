#include "core/window_input.h"

#include "audio/music.h"
#include "core/game_world.h"
#include "core/gamepad_input.h"
#include "core/platform/message_box.h"
#include "core/replay_playback.h"
#include "core/run_recording.h"
#include "core/settings.h"
#include "core/window_mode.h"
#include "effects/particle_emitters.h"
#include "gameplay/level_files.h"
#include "gameplay/rocks_and_rockets.h"
#include "gameplay/rules.h"

namespace {

void loadWindowIcons(platform::WindowHandle window) {
    if (!platform::setWindowIconFromFile(window, "Icon.ico", 64, /*large=*/true)) {
        platform::showMessageBox(
            {window, "Error", "Could not load large icon!", platform::MessageBoxIcon::Error});
    }
    if (!platform::setWindowIconFromFile(window, "Icon.ico", 32, /*large=*/false)) {
        platform::showMessageBox(
            {window, "Error", "Could not load small icon!", platform::MessageBoxIcon::Error});
    }
}

// Launches a rocket from the lowest free slot when a bomb is held.
void fireRocket() {
    if (world.bombs <= 0) return;
    for (int slot = 0; slot < kRocketSlots; ++slot) {
        if (world.rocketActive[slot] != 0) continue;
        world.bombs -= 1;
        world.rocketActive[slot] = 1;
        world.rocketX[slot] = static_cast<int32_t>(world.shipX);
        world.rocketZ[slot] =
            static_cast<int32_t>(static_cast<double>(world.shipZ) + rules::kShipLead);
        // Boxed where it starts: the slot's box would otherwise stay where its
        // last flight ended until the rocket is first drawn, and the next
        // frame's impact rules would strike whatever rock stands there.
        if (world.rockets[slot] != nullptr) {
            placeRocket(slot);
            world.rockets[slot]->updateWorldBox();
        }
        return;
    }
}

void startNewGame() {
    world.shipZ = 0.0f;
    world.mode = GameMode::Playing;
    world.shipX = 0.0f;
    world.level = 0;
    world.roll = 0.0f;
    loadLevel();
    stopAllEmitters();
}

void handleMenuKey(uintptr_t key) {
    switch (key) {
        case platform::kKeyF1:
            startNewGame();
            beginRunRecording();
            break;
        case platform::kKeyF2:
            world.mode = GameMode::Playing;
            if (world.level < kLastLevel) stopAllEmitters();
            beginRunRecording();
            break;
        case platform::kKeyF3:
            world.mode = GameMode::Quit;
            stopAllEmitters();
            break;
        default: break;
    }
}

}  // namespace

void handleKey(uintptr_t key) {
    // Keys that come before start-up loading has run change nothing: leaving
    // Loading would skip the loading itself.
    if (world.mode == GameMode::Loading) return;
    recordRunInput(static_cast<uint32_t>(key));
    if (world.mode == GameMode::TheEnd) {
        world.mode = GameMode::Quit;
        return;
    }
    if (key == platform::kKeySpace) fireRocket();
    if (key == platform::kKeyEscape &&
        (world.mode == GameMode::Menu || world.mode == GameMode::Playing ||
         world.mode == GameMode::GameOver || world.mode == GameMode::LevelTransition)) {
        world.mode = GameMode::Menu;
        return;
    }
    switch (world.mode) {
        case GameMode::GameOver:
            if (key == platform::kKeyEnter) world.mode = GameMode::Menu;
            break;
        case GameMode::Playing:
            if (key == platform::kKeyRight) world.steerCommand = "right";
            if (key == platform::kKeyLeft) world.steerCommand = "left";
            break;
        case GameMode::Menu: handleMenuKey(key); break;
        default: break;
    }
}

platform::WindowHandle createGameWindow(int width, int height) {
    platform::WindowDescription description;
    description.title = "Vorlune by Tamsk";
    description.x = 0;
    description.y = 0;
    description.width = width;
    description.height = height;
    description.procedure = windowProc;
    description.openGL = true;
    description.gamepads = true;
    description.kind = platform::WindowDescription::Kind::FullScreen;
    if (!world.settings.fullScreen) {
        description.kind = platform::WindowDescription::Kind::Resizable;
        description.width = world.settings.windowWidth;
        description.height = world.settings.windowHeight;
    }
    platform::WindowHandle window = platform::createWindow(description);
    // Every screen's text stays readable down to this size.
    platform::setWindowMinimumSize(window, kMinWindowWidth, kMinWindowHeight);
    return window;
}

intptr_t windowProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                    intptr_t lParam) {
    switch (message) {
        case platform::kMsgCreate: loadWindowIcons(window); break;
        case kMusicNotification:
            if (world.mediaEvent != nullptr) onMusicEvent();
            break;
        case platform::kMsgKeyDown:
            // F11 switches the window in every mode, before any mode's own keys.
            if (wParam == platform::kKeyF11) {
                toggleFullScreen(window);
            } else if (world.watchingReplay) {
                if (wParam == platform::kKeyEscape) stopReplay();
            } else {
                handleKey(wParam);
            }
            break;
        case platform::kMsgSysKeyDown:
            if (wParam == platform::kKeyEnter) toggleFullScreen(window);
            break;
        case platform::kMsgSize:
            onWindowResized(window, platform::widthOf(lParam), platform::heightOf(lParam));
            break;
        case platform::kMsgKillFocus:
            if (!world.watchingReplay) onFocusLost();
            break;
        case platform::kMsgAudioDeviceLost: onAudioDeviceLost(); break;
        case platform::kMsgPadButtonDown:
            if (world.watchingReplay) {
                if (endsReplay(static_cast<platform::PadButton>(wParam))) stopReplay();
            } else {
                handlePadButton(static_cast<platform::PadButton>(wParam));
            }
            break;
        case platform::kMsgPadPush:
            if (!world.watchingReplay) {
                handlePadPush(static_cast<platform::PadAxis>(wParam),
                              platform::pushDirectionOf(lParam));
            }
            break;
        case platform::kMsgPadRemoved:
            if (!world.watchingReplay) handlePadRemoved(platform::padOf(lParam));
            break;
        case platform::kMsgClose:
            recordRunInput(kInputWindowClosed);
            world.mode = GameMode::Quit;
            break;
        default: break;
    }
    return platform::defaultWindowProcedure(window, message, wParam, lParam);
}
