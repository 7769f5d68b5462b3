#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/music.h"
#include "audio/platform/audio_mixer.h"
#include "audio_test_support.h"
#include "core/game_world.h"
#include "core/platform/window_system.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

const std::filesystem::path kDist = VORLUNE_DIST_DIR;

double rms(const std::vector<int16_t>& samples, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

// Sign changes per second: high for bright noise, low once it is filtered dark.
double crossingsPerSecond(const std::vector<int16_t>& samples, size_t from, size_t to, int rate) {
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
    }
    return crossings * static_cast<double>(rate) / static_cast<double>(to - from);
}

TEST(AudioContent, TheExplosionIsAShortBurstThatStartsHardAndDiesAway) {
    SDL_AudioSpec spec{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV((kDist / "explode.wav").c_str(), &spec, &buffer, &length), nullptr)
        << SDL_GetError();
    EXPECT_EQ(spec.format, AUDIO_S16LSB);
    ASSERT_EQ(spec.channels, 1);
    std::vector<int16_t> samples(length / 2);
    std::memcpy(samples.data(), buffer, samples.size() * 2);
    SDL_FreeWAV(buffer);

    const double seconds = static_cast<double>(samples.size()) / spec.freq;
    EXPECT_LT(seconds, 1.0);
    EXPECT_GT(seconds, 0.3);
    const size_t tenth = static_cast<size_t>(spec.freq / 10);
    size_t loudest = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > std::abs(samples[loudest])) loudest = i;
    }
    EXPECT_GT(std::abs(samples[loudest]), 20000);   // a loud blast
    EXPECT_LT(loudest, tenth);                      // at the very start
    EXPECT_GT(rms(samples, 0, tenth / 5), 2000.0);  // no slow fade in
    EXPECT_GT(rms(samples, 0, tenth), 8 * rms(samples, samples.size() - tenth, samples.size()));
    EXPECT_EQ(samples.back(), 0);  // ends without a click
    // Bright noise first, a dark rumble at the end.
    EXPECT_GT(crossingsPerSecond(samples, 0, tenth / 2, spec.freq), 1500.0);
    EXPECT_GT(
        crossingsPerSecond(samples, 0, tenth / 2, spec.freq),
        2 * crossingsPerSecond(samples, samples.size() - 3 * tenth, samples.size(), spec.freq));
}

TEST(AudioContent, TheTuneIsARealMp3OfHalfAMinuteToAMinuteAndAHalf) {
    std::ifstream in(kDist / "something.mp3", std::ios::binary);
    unsigned char head[3] = {};
    in.read(reinterpret_cast<char*>(head), 3);
    ASSERT_TRUE(in) << "something.mp3 missing from the game folder";
    const bool frameSync = head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
    const bool tagged = head[0] == 'I' && head[1] == 'D' && head[2] == '3';
    EXPECT_TRUE(frameSync || tagged);

    releaseMusic();
    ASSERT_TRUE(platform::openAudio()) << "the suite's audio driver did not open";
    Mix_Music* tune = Mix_LoadMUS((kDist / "something.mp3").c_str());
    ASSERT_NE(tune, nullptr) << Mix_GetError();
    EXPECT_EQ(Mix_GetMusicType(tune), MUS_MP3);
    const double seconds = Mix_MusicDuration(tune);
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 90.0);
    Mix_FreeMusic(tune);
    releaseMusic();
}

TEST(AudioContent, TheShippedTuneIsHeardFromItsFirstMoment) {
    releaseMusic();
    resetWorld();
    TempWorkingFolder folder;
    folder.copyFromGame("something.mp3");
    const auto output = folder.path() / "heard.raw";
    ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    ScopedEnvironment file("SDL_DISKAUDIOFILE", output.string());
    platform::WindowDescription description;
    description.title = "tune test";
    description.width = 64;
    description.height = 64;
    platform::WindowHandle window = platform::createWindow(description);
    ASSERT_NE(window, nullptr) << "no display";
    startMusic(window);
    ASSERT_NE(world.mediaEvent, nullptr);
    // Let a second of the tune reach the disk driver.
    platform::Message ignored;
    while (platform::waitMessage(ignored, 1000)) {
    }
    releaseMusic();
    platform::destroyWindow(window);
    resetWorld();

    std::ifstream in(output, std::ios::binary);
    std::vector<int16_t> samples;
    int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), 2)) samples.push_back(sample);
    ASSERT_GT(samples.size(), 44100u);
    // Within the first half second most samples carry sound.
    int audible = 0;
    for (size_t i = 0; i < 44100; ++i) audible += std::abs(samples[i]) > 300 ? 1 : 0;
    EXPECT_GT(audible, 44100 / 2);
}

}  // namespace
