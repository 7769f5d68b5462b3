#include "core/main_loop.h"

#include <malloc.h>

#include "audio/music.h"
#include "core/game_world.h"
#include "core/platform/clock.h"
#include "core/platform/message_box.h"
#include "core/player_settings.h"
#include "core/replay_folder.h"
#include "core/replay_playback.h"
#include "core/run_recording.h"
#include "core/screens.h"
#include "core/startup.h"
#include "core/window_input.h"
#include "gameplay/flight.h"

namespace {

void runFrameFunction() {
    switch (world.mode) {
        case GameMode::Menu: menuFrame(); break;
        case GameMode::Playing: playingFrame(); break;
        case GameMode::GameOver: gameOverFrame(); break;
        case GameMode::LevelTransition: levelTransitionFrame(); break;
        case GameMode::TheEnd: theEndFrame(); break;
        case GameMode::Quit:
        case GameMode::Loading: break;
    }
}

// A frame may change the light direction; it takes effect from the next frame.
void refreshLight() {
    world.light.direction = vec3Normalize(world.lightDirection);
    // A window closed before start-up loading leaves no device to light.
    if (world.device != nullptr) world.device->setLight(0, world.light);
}

}  // namespace

void waitForFrameStart(MainLoop& loop) {
    platform::beginTimerPeriod(1);
    uint32_t now = platform::timeMilliseconds();
    // Unsigned differences keep the pacing right across the clock's wrap; the
    // very first frame runs at once whatever the clock reads.
    if (loop.frameStarted) {
        while (now - world.lastFrameTime < kFrameInterval) {
            platform::sleepMilliseconds(1);
            now = platform::timeMilliseconds();
        }
    }
    world.lastFrameTime = now;
    loop.frameStarted = true;
}

bool runLoopPass(MainLoop& loop) {
    platform::Message message;
    if (platform::peekMessage(message, loop.window)) {
        platform::translateMessage(message);
        platform::dispatchMessage(message);
    }

    if (world.mode == GameMode::Loading) {
        if (loadGame(loop.window)) {
            startPendingReplay();
            return true;
        }
        platform::showMessageBox({loop.window, "שגיאה", "שגיאה בטעינת משאבים!\nנסה להתקין מחדש!",
                                  platform::MessageBoxIcon::None});
        platform::destroyWindow(loop.window);
        return false;
    }

    waitForFrameStart(loop);
    runFrame();
    return true;
}

void runFrame() {
    feedReplayInputs();
    applySteering();
    runFrameFunction();
    refreshLight();
    endRecordedFrame();
    endReplayFrame();
}

int runGame() {
    // The GL driver frees and allocates big buffers every frame. With glibc's
    // sliding thresholds they go back to the kernel and are faulted in again
    // each time, hundreds of page faults and milliseconds a frame; kept in
    // the heap they are reused.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);

    keepRunsInReplayFolder();
    MainLoop loop;
    loop.window = createGameWindow(world.screenWidth, world.screenHeight);
    setSoundLevels(world.settings.musicVolume, world.settings.soundVolume);
    startMusic(loop.window);

    if (world.mode != GameMode::Quit) {
        do {
            // Start-up failed: the player has been told; the program ends with
            // a failure code rather than pretending success.
            if (!runLoopPass(loop)) return 1;
        } while (world.mode != GameMode::Quit);
    }

    finishRunRecording();
    platform::destroyWindow(loop.window);
    shutdownGame();
    savePlayerSettings();
    return 0;
}
