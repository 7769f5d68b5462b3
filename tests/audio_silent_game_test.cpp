#include <gtest/gtest.h>

#include "audio/music.h"
#include "audio/platform/audio_mixer.h"
#include "audio/sound.h"
#include "audio_test_support.h"
#include "core/game_world.h"
#include "core/main_loop.h"
#include "core/startup.h"
#include "core/window_input.h"
#include "effects/explosions.h"
#include "message_recorder.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

// A machine whose sound cannot be opened still gets the whole game, silently.
TEST(SilentGame, StartsAndPlaysWhenNoAudioDriverCanOpen) {
    releaseMusic();
    resetWorld();
    TempWorkingFolder folder;
    MessageRecorder messages;
    ScopedEnvironment driver("SDL_AUDIODRIVER", "no-such-driver");
    writeSquareWave("something.mp3", 1.0, 220, 0.2);
    writeSquareWave("explode.wav", 0.3, 100, 0.5);

    MainLoop loop;
    loop.window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_NE(loop.window, nullptr) << "no display";
    const size_t windowWarnings = messages.boxes.size();
    startMusic(loop.window);
    EXPECT_EQ(world.mediaEvent, nullptr);
    EXPECT_EQ(world.graph, nullptr);
    EXPECT_EQ(messages.boxes.size(), windowWarnings);

    ASSERT_TRUE(runLoopPass(loop));  // start-up loading
    EXPECT_EQ(world.mode, GameMode::Menu);
    windowProc(loop.window, platform::kMsgKeyDown, platform::kKeyF1, 0);
    for (int pass = 0; pass < 5; ++pass) {
        // What an impact does, sound included.
        playExplosionSound();
        spawnSmallExplosion();
        platform::postMessage(loop.window, kMusicNotification, 0);
        ASSERT_TRUE(runLoopPass(loop));
    }
    EXPECT_FALSE(platform::audioOpen());

    windowProc(loop.window, platform::kMsgClose, 0, 0);
    EXPECT_EQ(world.mode, GameMode::Quit);
    platform::destroyWindow(loop.window);
    shutdownGame();
    releaseMusic();
    EXPECT_EQ(world.device, nullptr);
    resetWorld();
}

}  // namespace
