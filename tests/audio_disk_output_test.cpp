#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <vector>

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

constexpr int kTuneLevel = 8191;        // 0.25 of full scale
constexpr int kExplosionLevel = 19660;  // 0.6 of full scale

std::vector<int16_t> readSamples(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    }
    return samples;
}

// The game's sound written to a file by SDL's disk driver: what the player
// would hear, sample by sample.
TEST(AudioOnDisk, TheTuneIsHeardRestartsThroughTheMessageLoopAndTheExplosionMixesIn) {
    releaseMusic();
    resetWorld();
    TempWorkingFolder folder;
    MessageRecorder messages;
    const auto output = folder.path() / "heard.raw";
    ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    ScopedEnvironment file("SDL_DISKAUDIOFILE", output.string());
    writeSquareWave("something.mp3", 0.4, 220, 0.25);
    writeSquareWave("explode.wav", 0.2, 100, 0.6);

    platform::WindowDescription description;
    description.title = "disk audio test";
    description.width = 64;
    description.height = 64;
    description.procedure = windowProc;
    platform::WindowHandle window = platform::createWindow(description);
    ASSERT_NE(window, nullptr) << "no display";
    messages.boxes.clear();  // the window's own icon warnings

    startMusic(window);
    ASSERT_NE(world.mediaEvent, nullptr) << "the disk audio driver did not open";
    int frequency = 0, channels = 0;
    uint16_t format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    ASSERT_EQ(format, AUDIO_S16LSB);
    ASSERT_EQ(channels, 2);

    // The game's own message loop, on this thread: the end of each run must
    // arrive here as the music notification and start the tune again.
    int notifications = 0;
    bool exploded = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (notifications < 2 && std::chrono::steady_clock::now() < deadline) {
        platform::Message message;
        if (!platform::waitMessage(message, 250)) continue;
        if (message.message == kMusicNotification) {
            EXPECT_EQ(message.window, window);
            EXPECT_EQ(message.wParam, 0u);
            ++notifications;
        }
        platform::dispatchMessage(message);
        if (notifications == 1 && !exploded) {
            EXPECT_TRUE(platform::musicTrackPlaying());
            playExplosionSound();
            exploded = true;
        }
    }
    EXPECT_EQ(notifications, 2);
    EXPECT_EQ(world.mediaEvent->player->starts, 3);
    releaseMusic();
    platform::destroyWindow(window);
    resetWorld();
    EXPECT_TRUE(messages.boxes.empty());

    const std::vector<int16_t> samples = readSamples(output);
    int tuneAlone = 0, mixed = 0;
    for (int16_t s : samples) {
        const int level = std::abs(static_cast<int>(s));
        if (std::abs(level - kTuneLevel) < 200) ++tuneAlone;
        if (level > kExplosionLevel + kTuneLevel / 2) ++mixed;
    }
    // One run is 0.4 s of two channels; the tune alone was heard for longer
    // than that, so it played again after its end.
    const int oneRun = static_cast<int>(0.4 * frequency * channels);
    EXPECT_GT(tuneAlone, oneRun * 5 / 4);
    // Louder than either sound alone: the explosion adds to the running tune.
    EXPECT_GT(mixed, frequency / 50);
}

}  // namespace
