#include "game_screens.h"

#include <cstdio>

#include "vorlune.h"

namespace bench {

namespace {

void startLevel(int level) {
    world.level = level;
    loadLevel();
    world.shipZ = 0.0f;
    world.shipX = 0.0f;
    world.roll = 0.0f;
    world.steerCommand.clear();
    platform::beginTimerPeriod(1);
    world.levelStartTime = platform::timeMilliseconds();
    world.mode = GameMode::Playing;
}

// A crash's three explosions; they live ten seconds on the screens that age
// them, about 600 paced frames, so they are renewed that often.
constexpr int kExplosionRenewal = 600;
void renewCrashExplosions() {
    stopAllEmitters();
    updateEmitters();  // drops the stopped ones
    for (int i = 0; i < 3; ++i) spawnExplosion();
}

// The densest level, flown straight down the middle lane from its start. A
// crash or the level's end starts it over; the explosion is kept in view
// ahead of the ship, where a rocket's hit would put it.
constexpr int kDensestLevel = kLastLevel;
void keepPlaying(int frameIndex) {
    if (world.mode != GameMode::Playing) startLevel(kDensestLevel);
    if (frameIndex % kExplosionRenewal == 0) {
        stopAllEmitters();
        updateEmitters();
        spawnExplosion();
    }
    world.rockets[0]->translation = matrixTranslation(0.0f, 35.0f, world.shipZ + 30.0f);
}

// The crash scene: the densest level's rocks at its start under the camera of
// its first playing frame, with a crash's explosions.
void prepareGameOver() {
    startLevel(kDensestLevel);
    playingFrame();
    world.mode = GameMode::GameOver;
    renewCrashExplosions();
}

void prepareTransition() {
    world.level = kDensestLevel;
    std::snprintf(world.levelBanner, sizeof world.levelBanner, "Level %d", world.level);
}

// The transition loads the level and starts play; it is put back each time.
void keepTransition(int) {
    world.mode = GameMode::LevelTransition;
    world.level = kDensestLevel;
}

// As above, with the run recorded as the game records every run.
void keepPlayingRecorded(int frameIndex) {
    const bool restarted = world.mode != GameMode::Playing;
    keepPlaying(frameIndex);
    if (restarted) beginRunRecording();
}

}  // namespace

void takeOneMessage() {
    platform::Message message;
    if (platform::peekMessage(message, nullptr)) platform::dispatchMessage(message);
}

std::vector<Scenario> gameScenarios() {
    return {
        {"menu", [] { world.mode = GameMode::Menu; }, [](int) {}, menuFrame},
        {"playing (Level20, explosion)", [] { startLevel(kDensestLevel); }, keepPlaying,
         playingFrame},
        {"game over (Level20, 3 explosions)", prepareGameOver,
         [](int i) {
             if (i % kExplosionRenewal == 0 && i > 0) renewCrashExplosions();
         },
         gameOverFrame},
        {"level transition (loads Level20)", prepareTransition, keepTransition,
         levelTransitionFrame},
        {"the end (3 explosions)",
         [] {
             world.mode = GameMode::TheEnd;
             renewCrashExplosions();
         },
         [](int i) {
             if (i % kExplosionRenewal == 0 && i > 0) renewCrashExplosions();
         },
         theEndFrame},
        {"playing, recorded (Level20, explosion)",
         [] {
             keepRecordedRuns([](const Replay&) {});
             startLevel(kDensestLevel);
             beginRunRecording();
         },
         keepPlayingRecorded,
         [] {
             playingFrame();
             endRecordedFrame();
         }},
    };
}

}  // namespace bench
