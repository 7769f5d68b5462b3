#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "audio/music.h"
#include "audio/music_player.h"
#include "audio/platform/audio_mixer.h"
#include "audio/sound.h"
#include "audio_test_support.h"
#include "core/game_world.h"
#include "core/window_input.h"
#include "message_recorder.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

bool sameEvent(const MusicEvent& a, const MusicEvent& b) {
    return a.code == b.code && a.param1 == b.param1 && a.param2 == b.param2;
}

// Music on whatever driver the suite runs with (the silent "dummy" one).
class Music : public ::testing::Test {
protected:
    void SetUp() override {
        releaseMusic();
        resetWorld();
        platform::WindowDescription description;
        description.title = "music test";
        description.width = 64;
        description.height = 64;
        description.procedure = windowProc;
        window = platform::createWindow(description);
        ASSERT_NE(window, nullptr) << "no display";
        messages.boxes.clear();  // the window's own icon warnings
    }
    void TearDown() override {
        releaseMusic();
        platform::destroyWindow(window);
        resetWorld();
    }

    MusicPlayer& player() { return *world.mediaEvent->player; }

    TempWorkingFolder folder;
    MessageRecorder messages;
    platform::WindowHandle window = nullptr;
};

TEST_F(Music, StartsTheTuneOnceAndAnEmptyNotificationChangesNothing) {
    writeSquareWave("something.mp3", 5.0, 220, 0.2);
    startMusic(window);
    ASSERT_TRUE(platform::audioOpen()) << "the suite's audio driver did not open";
    ASSERT_NE(world.graph, nullptr);
    ASSERT_NE(world.mediaControl, nullptr);
    ASSERT_NE(world.mediaEvent, nullptr);
    ASSERT_NE(world.videoWindow, nullptr);
    EXPECT_TRUE(platform::musicTrackPlaying());
    EXPECT_EQ(player().starts, 1);
    EXPECT_EQ(world.videoWindow->owner, window);
    EXPECT_EQ(world.videoWindow->width, world.screenWidth);

    // A second start changes nothing.
    MusicGraph* graph = world.graph;
    startMusic(window);
    EXPECT_EQ(world.graph, graph);
    EXPECT_EQ(player().starts, 1);

    // Nor does a notification with an empty queue.
    windowProc(window, kMusicNotification, 0, 0);
    EXPECT_EQ(player().starts, 1);
    EXPECT_TRUE(platform::musicTrackPlaying());
    EXPECT_TRUE(player().events.empty());
}

TEST_F(Music, OneNotificationDrainsUpToTheEndAndStartsTheTuneAgain) {
    writeSquareWave("something.mp3", 5.0, 220, 0.2);
    startMusic(window);
    ASSERT_NE(world.mediaEvent, nullptr);
    const MusicEvent later{4, 40, 41};
    player().events = {{2, 20, 21}, {3, 30, 31}, {kMusicEventComplete, 0, 0}, later};

    windowProc(window, kMusicNotification, 0, 0);
    EXPECT_EQ(player().starts, 2);
    EXPECT_TRUE(platform::musicTrackPlaying());
    ASSERT_EQ(player().events.size(), 1u);
    EXPECT_TRUE(sameEvent(player().events.front(), later));

    // The event behind the end waits for the next notification.
    windowProc(window, kMusicNotification, 0, 0);
    EXPECT_TRUE(player().events.empty());
    EXPECT_EQ(player().starts, 2);
}

TEST_F(Music, TheTuneIsReadAgainFromItsFileAtEachRestart) {
    writeSquareWave("something.mp3", 5.0, 220, 0.2);
    startMusic(window);
    ASSERT_NE(world.mediaEvent, nullptr);
    std::remove("something.mp3");
    player().events = {{kMusicEventComplete, 0, 0}};
    onMusicEvent();
    // The file is gone, so the restart finds nothing to play: silence, not a crash.
    EXPECT_FALSE(platform::musicTrackPlaying());
    EXPECT_EQ(player().starts, 1);
    onMusicEvent();
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(Music, AMissingTuneIsSilentButThePlayerExists) {
    startMusic(window);
    ASSERT_NE(world.mediaEvent, nullptr);
    EXPECT_FALSE(platform::musicTrackPlaying());
    EXPECT_EQ(player().starts, 0);
    windowProc(window, kMusicNotification, 0, 0);
    EXPECT_EQ(player().starts, 0);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(Music, TheExplosionUsesOneChannelAndCutsItselfOff) {
    playExplosionSound();  // no file yet: nothing, silently
    ASSERT_TRUE(platform::audioOpen());
    EXPECT_EQ(Mix_Playing(-1), 0);
    writeSquareWave("explode.wav", 2.0, 100, 0.5);
    playExplosionSound();
    playExplosionSound();
    playExplosionSound();
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_EQ(Mix_Playing(0), 1);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(Music, ReleaseIsSafeWhenNothingWasStarted) {
    releaseMusic();
    releaseMusic();
    EXPECT_EQ(world.graph, nullptr);
    EXPECT_EQ(world.mediaEvent, nullptr);
    EXPECT_FALSE(platform::audioOpen());
}

TEST_F(Music, WithoutAnAudioDeviceTheGameIsSilentAndCreatesNothing) {
    ScopedEnvironment driver("SDL_AUDIODRIVER", "no-such-driver");
    writeSquareWave("something.mp3", 1.0, 220, 0.2);
    writeSquareWave("explode.wav", 0.5, 100, 0.5);
    startMusic(window);
    EXPECT_FALSE(platform::audioOpen());
    EXPECT_EQ(world.graph, nullptr);
    EXPECT_EQ(world.mediaControl, nullptr);
    EXPECT_EQ(world.mediaEvent, nullptr);
    EXPECT_EQ(world.videoWindow, nullptr);
    playExplosionSound();
    windowProc(window, kMusicNotification, 0, 0);
    onMusicEvent();
    releaseMusic();
    EXPECT_TRUE(messages.boxes.empty());
}

}  // namespace
