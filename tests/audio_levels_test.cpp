#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <thread>

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

constexpr int kTuneLevel = 8191;  // 0.25 of full scale
// The mixer scales a sample by an integer from 0 to 128 and truncates, so
// half of the tune is 4095: 2 % covers that, and still tells half from a
// percentage handed to the mixer as its own scale (50 of 128, 39 %).
constexpr double kLevelTolerance = 0.02;

// Waits up to about 10 s for `done`, dispatching the game's messages or
// leaving them queued.
bool waitUntil(const std::function<bool()>& done, bool dispatching = true) {
    platform::Message message;
    for (int tick = 0; tick < 1000 && !done(); ++tick) {
        if (!dispatching) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } else if (platform::waitMessage(message, 10)) {
            platform::dispatchMessage(message);
        }
    }
    return done();
}

// What the game is heard playing: SDL's disk driver writes what the mixer
// puts out to a file, started afresh at each opening of the device.
class HeardAudio : public ::testing::Test {
protected:
    void SetUp() override {
        releaseMusic();
        resetWorld();
    }
    void TearDown() override {
        releaseMusic();
        resetWorld();
        setSoundLevels(100, 100);  // the game's levels outlive the test
    }

    // The level most samples had, 0 for silence: a square wave has one, and a
    // buffer mixed before a change of level does not move it.
    int heardLevel() const {
        std::ifstream in(output, std::ios::binary);
        std::vector<int> levels;
        for (int16_t s; in.read(reinterpret_cast<char*>(&s), sizeof s);) {
            if (s != 0) levels.push_back(std::abs(s));
        }
        std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
        return levels.empty() ? 0 : levels[levels.size() / 2];
    }

    TempWorkingFolder folder;
    MessageRecorder messages;  // takes the window's icon warnings
    std::filesystem::path output = folder.path() / "heard.raw";
    ScopedEnvironment driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnvironment file{"SDL_DISKAUDIOFILE", output.string()};
};

TEST_F(HeardAudio, FollowsTheLevelsSetBeforeTheDeviceOpensOrWhileItPlays) {
    struct Case {
        int music, sound;
        bool whilePlaying, tune;
        int expected;
    };
    // The last case shows that the silence before it is the level's doing.
    for (const Case& c : {Case{50, 100, true, true, kTuneLevel / 2}, Case{0, 100, false, true, 0},
                          Case{100, -5, false, false, 0}, Case{0, 100, false, false, 19660}}) {
        SCOPED_TRACE(testing::Message() << "music " << c.music << ", sound " << c.sound);
        writeSquareWave(c.tune ? "something.mp3" : "explode.wav", 0.3, 220, c.tune ? 0.25 : 0.6);
        if (!c.whilePlaying) setSoundLevels(c.music, c.sound);
        c.tune ? startMusic(nullptr) : playExplosionSound();
        if (c.whilePlaying) setSoundLevels(c.music, c.sound);
        ASSERT_TRUE(platform::musicTrackPlaying() || Mix_Playing(-1) == 1);
        ASSERT_TRUE(waitUntil([] { return !platform::musicTrackPlaying() && !Mix_Playing(-1); }));
        releaseMusic();
        resetWorld();
        EXPECT_NEAR(heardLevel(), c.expected, c.expected * kLevelTolerance);
    }
}

TEST_F(HeardAudio, AfterTheDeviceIsLostTheTuneGoesOnAndRepeatsOrTheGameFallsSilent) {
    onAudioDeviceLost();
    EXPECT_FALSE(platform::audioOpen()) << "a device nobody opened was opened";
    playExplosionSound();
    onAudioDeviceLost();  // open, with no music to carry over
    ASSERT_TRUE(platform::audioOpen());

    writeSquareWave("something.mp3", 1.5, 220, 0.25);
    platform::WindowDescription description;
    description.width = description.height = 64;
    description.procedure = windowProc;
    platform::WindowHandle window = platform::createWindow(description);
    ASSERT_NE(window, nullptr) << "no display";
    setSoundLevels(50, 100);
    startMusic(window);
    ASSERT_NE(world.mediaEvent, nullptr);
    MusicPlayer& player = *world.mediaEvent->player;
    ASSERT_TRUE(waitUntil([&] { return platform::musicTrackPosition(player.track) > 1.1; }));
    const double lostAt = platform::musicTrackPosition(player.track);
    onAudioDeviceLost();
    ASSERT_TRUE(platform::musicTrackPlaying());
    // The mixer's WAV decoder seeks to whole seconds only.
    EXPECT_GE(platform::musicTrackPosition(player.track), std::floor(lostAt));

    // Lost again after the tune's end, its notification still queued: that
    // notification must start the tune over, and nothing play before it.
    ASSERT_TRUE(waitUntil([] { return !platform::musicTrackPlaying(); }, /*dispatching=*/false));
    onAudioDeviceLost();
    EXPECT_FALSE(platform::musicTrackPlaying());
    EXPECT_TRUE(waitUntil([&] { return player.starts == 2 && platform::musicTrackPlaying(); }));
    // Long enough for the level to show in what this device puts out.
    ASSERT_TRUE(waitUntil([&] { return platform::musicTrackPosition(player.track) > 0.3; }));

    // No device opens any more: silence for good, though one could open by now.
    {
        ScopedEnvironment gone("SDL_AUDIODRIVER", "no-such-driver");
        onAudioDeviceLost();
    }
    playExplosionSound();
    windowProc(window, kMusicNotification, 0, 0);
    EXPECT_FALSE(platform::audioOpen());
    releaseMusic();
    platform::destroyWindow(window);
    EXPECT_NEAR(heardLevel(), kTuneLevel / 2, kTuneLevel / 2 * kLevelTolerance);
}

}  // namespace
