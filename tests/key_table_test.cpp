#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/game_world.h"
#include "core/window_input.h"
#include "effects/particle_emitters.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

using platform::kMsgKeyDown;

constexpr uintptr_t kKeyA = 'A';

class KeyTable : public ::testing::Test {
protected:
    void SetUp() override {
        resetWorld();
        if (world.emitters == nullptr) world.emitters = createEmitterList();
        world.emitters->entries.clear();
        emitter_.active = 1;
        world.emitters->entries.push_back(&emitter_);
    }
    void TearDown() override { world.emitters->entries.clear(); }

    // A new game reads level 0; without its rock file the game goes to the end.
    void provideLevelZero() { std::ofstream("Level0.vr") << "0\n35\n900\n"; }

    static void press(uintptr_t key) { windowProc(nullptr, kMsgKeyDown, key, 1); }

    ParticleEmitter emitter_;
    TempWorkingFolder folder_;
};

struct KeyCase {
    GameMode mode;
    uintptr_t key;
    GameMode expectedMode;
    const char* expectedSteer;
};

std::string describe(const KeyCase& c) {
    return "mode " + std::to_string(static_cast<int>(c.mode)) + " key 0x" + std::to_string(c.key);
}

TEST_F(KeyTable, EveryModeAndKey) {
    using M = GameMode;
    namespace k = platform;
    const std::vector<KeyCase> cases = {
        // Menu
        {M::Menu, k::kKeySpace, M::Menu, ""},
        {M::Menu, k::kKeyEscape, M::Menu, ""},
        {M::Menu, k::kKeyEnter, M::Menu, ""},
        {M::Menu, k::kKeyRight, M::Menu, ""},
        {M::Menu, k::kKeyLeft, M::Menu, ""},
        {M::Menu, k::kKeyF1, M::Playing, ""},
        {M::Menu, k::kKeyF2, M::Playing, ""},
        {M::Menu, k::kKeyF3, M::Quit, ""},
        {M::Menu, kKeyA, M::Menu, ""},
        // Playing
        {M::Playing, k::kKeySpace, M::Playing, ""},
        {M::Playing, k::kKeyEscape, M::Menu, ""},
        {M::Playing, k::kKeyEnter, M::Playing, ""},
        {M::Playing, k::kKeyRight, M::Playing, "right"},
        {M::Playing, k::kKeyLeft, M::Playing, "left"},
        {M::Playing, k::kKeyF1, M::Playing, ""},
        {M::Playing, k::kKeyF2, M::Playing, ""},
        {M::Playing, k::kKeyF3, M::Playing, ""},
        {M::Playing, kKeyA, M::Playing, ""},
        // GameOver
        {M::GameOver, k::kKeySpace, M::GameOver, ""},
        {M::GameOver, k::kKeyEscape, M::Menu, ""},
        {M::GameOver, k::kKeyEnter, M::Menu, ""},
        {M::GameOver, k::kKeyRight, M::GameOver, ""},
        {M::GameOver, k::kKeyLeft, M::GameOver, ""},
        {M::GameOver, k::kKeyF1, M::GameOver, ""},
        {M::GameOver, k::kKeyF2, M::GameOver, ""},
        {M::GameOver, k::kKeyF3, M::GameOver, ""},
        {M::GameOver, kKeyA, M::GameOver, ""},
        // LevelTransition
        {M::LevelTransition, k::kKeySpace, M::LevelTransition, ""},
        {M::LevelTransition, k::kKeyEscape, M::Menu, ""},
        {M::LevelTransition, k::kKeyEnter, M::LevelTransition, ""},
        {M::LevelTransition, k::kKeyRight, M::LevelTransition, ""},
        {M::LevelTransition, k::kKeyLeft, M::LevelTransition, ""},
        {M::LevelTransition, k::kKeyF1, M::LevelTransition, ""},
        {M::LevelTransition, k::kKeyF2, M::LevelTransition, ""},
        {M::LevelTransition, k::kKeyF3, M::LevelTransition, ""},
        {M::LevelTransition, kKeyA, M::LevelTransition, ""},
        // TheEnd: every key quits
        {M::TheEnd, k::kKeySpace, M::Quit, ""},
        {M::TheEnd, k::kKeyEscape, M::Quit, ""},
        {M::TheEnd, k::kKeyEnter, M::Quit, ""},
        {M::TheEnd, k::kKeyRight, M::Quit, ""},
        {M::TheEnd, k::kKeyLeft, M::Quit, ""},
        {M::TheEnd, k::kKeyF1, M::Quit, ""},
        {M::TheEnd, k::kKeyF2, M::Quit, ""},
        {M::TheEnd, k::kKeyF3, M::Quit, ""},
        {M::TheEnd, kKeyA, M::Quit, ""},
        {M::TheEnd, k::kKeyOther, M::Quit, ""},
        // Loading: nothing may leave it before start-up loading has run
        {M::Loading, k::kKeySpace, M::Loading, ""},
        {M::Loading, k::kKeyEscape, M::Loading, ""},
        {M::Loading, k::kKeyEnter, M::Loading, ""},
        {M::Loading, k::kKeyRight, M::Loading, ""},
        {M::Loading, k::kKeyF1, M::Loading, ""},
        {M::Loading, k::kKeyF2, M::Loading, ""},
        {M::Loading, k::kKeyF3, M::Loading, ""},
        {M::Loading, kKeyA, M::Loading, ""},
    };
    provideLevelZero();
    for (const KeyCase& c : cases) {
        SetUp();
        world.mode = c.mode;
        press(c.key);
        EXPECT_EQ(world.mode, c.expectedMode) << describe(c);
        EXPECT_EQ(world.steerCommand, c.expectedSteer) << describe(c);
    }
}

TEST_F(KeyTable, SpaceFiresFromTheShipInEveryModeButTheEnd) {
    for (GameMode mode :
         {GameMode::Menu, GameMode::Playing, GameMode::GameOver, GameMode::LevelTransition}) {
        SetUp();
        world.mode = mode;
        world.bombs = 2;
        world.shipX = -30.0f;
        world.shipZ = -3.33f;
        press(platform::kKeySpace);
        EXPECT_EQ(world.bombs, 1);
        EXPECT_EQ(world.rocketActive[0], 1);
        EXPECT_EQ(world.rocketX[0], -30);
        EXPECT_EQ(world.rocketZ[0], 86);  // trunc(-3.33 + 90)
        EXPECT_EQ(world.mode, mode);
    }
    SetUp();
    world.mode = GameMode::TheEnd;
    world.bombs = 2;
    press(platform::kKeySpace);
    EXPECT_EQ(world.bombs, 2);
    EXPECT_EQ(world.rocketActive[0], 0);
}

TEST_F(KeyTable, FiringTakesTheLowestFreeSlot) {
    world.mode = GameMode::Playing;
    world.bombs = 3;
    world.rocketActive[0] = 1;
    world.rocketActive[2] = 1;
    world.shipX = 30.0f;
    world.shipZ = -1000.7f;
    press(platform::kKeySpace);
    EXPECT_EQ(world.bombs, 2);
    EXPECT_EQ(world.rocketActive[1], 1);
    EXPECT_EQ(world.rocketActive[3], 0);
    EXPECT_EQ(world.rocketX[1], 30);
    EXPECT_EQ(world.rocketZ[1], -910);  // truncated toward zero, not down
}

TEST_F(KeyTable, NoRocketWithoutBombsOrWithAllSlotsInFlight) {
    world.mode = GameMode::Playing;
    world.bombs = 0;
    press(platform::kKeySpace);
    EXPECT_EQ(world.rocketActive[0], 0);
    EXPECT_EQ(world.bombs, 0);

    world.bombs = 4;
    for (auto& active : world.rocketActive) active = 1;
    world.rocketZ[0] = 123;
    press(platform::kKeySpace);
    EXPECT_EQ(world.bombs, 4);
    EXPECT_EQ(world.rocketZ[0], 123);
}

TEST_F(KeyTable, NewGameResetsOnlyTheShipAndLevel) {
    provideLevelZero();
    world.mode = GameMode::Menu;
    world.level = 7;
    world.shipX = 30.0f;
    world.shipZ = -500.0f;
    world.roll = 0.2f;
    world.bombs = 3;
    world.levelEndZ = -900.0f;
    world.rocketActive[1] = 1;
    world.rocketZ[1] = -40;
    press(platform::kKeyF1);
    EXPECT_EQ(world.mode, GameMode::Playing);
    EXPECT_EQ(world.level, 0);
    EXPECT_EQ(world.shipX, 0.0f);
    EXPECT_EQ(world.shipZ, 0.0f);
    EXPECT_EQ(world.roll, 0.0f);
    EXPECT_EQ(world.bombs, 3);
    EXPECT_EQ(world.levelEndZ, -900.0f);
    EXPECT_EQ(world.rocketActive[1], 1);
    EXPECT_EQ(world.rocketZ[1], -40);
    EXPECT_EQ(emitter_.active, 0);  // running explosions are stopped
}

TEST_F(KeyTable, NewGameWithoutLevelZeroGoesToTheEnd) {
    world.mode = GameMode::Menu;
    world.level = 5;
    press(platform::kKeyF1);
    EXPECT_EQ(world.level, 0);
    EXPECT_EQ(world.mode, GameMode::TheEnd);
}

TEST_F(KeyTable, ContinueStopsExplosionsOnlyBeforeTheLastLevel) {
    world.mode = GameMode::Menu;
    world.level = 19;
    world.shipZ = -250.0f;
    press(platform::kKeyF2);
    EXPECT_EQ(world.mode, GameMode::Playing);
    EXPECT_EQ(world.shipZ, -250.0f);
    EXPECT_EQ(emitter_.active, 0);

    SetUp();
    world.mode = GameMode::Menu;
    world.level = 20;
    press(platform::kKeyF2);
    EXPECT_EQ(world.mode, GameMode::Playing);
    EXPECT_EQ(emitter_.active, 1);
}

TEST_F(KeyTable, ExitStopsExplosionsAndQuits) {
    world.mode = GameMode::Menu;
    press(platform::kKeyF3);
    EXPECT_EQ(world.mode, GameMode::Quit);
    EXPECT_EQ(emitter_.active, 0);
}

TEST_F(KeyTable, ClosingTheWindowQuitsFromEveryMode) {
    for (GameMode mode : {GameMode::Loading, GameMode::Menu, GameMode::Playing, GameMode::GameOver,
                          GameMode::LevelTransition, GameMode::TheEnd}) {
        world.mode = mode;
        windowProc(nullptr, platform::kMsgClose, 0, 0);
        EXPECT_EQ(world.mode, GameMode::Quit);
    }
}

TEST_F(KeyTable, HeldKeysRepeatLikeNewPresses) {
    world.mode = GameMode::Playing;
    world.bombs = 7;
    for (int repeat = 0; repeat < 7; ++repeat)
        windowProc(nullptr, kMsgKeyDown, platform::kKeySpace, (intptr_t{1} << 30) | 1);
    EXPECT_EQ(world.bombs, 2);  // five slots, then nothing more
    for (auto active : world.rocketActive) EXPECT_EQ(active, 1);
}

}  // namespace

namespace {

// Away from the game, only play pauses, and only when the player wants it;
// F11 switches the window in every mode, even on the closing screen, where
// any other key quits. (The window is null: the switch reaches no window.)
TEST_F(KeyTable, FocusLostPausesOnlyPlayAndF11IsNoModeKey) {
    using M = GameMode;
    for (const bool pauseWhenAway : {true, false}) {
        for (const M mode : {M::Menu, M::Playing, M::GameOver, M::LevelTransition, M::TheEnd}) {
            world.settings.pauseWhenAway = pauseWhenAway;
            world.mode = mode;
            windowProc(nullptr, platform::kMsgKillFocus, 0, 0);
            const M expected = pauseWhenAway && mode == M::Playing ? M::Menu : mode;
            EXPECT_EQ(world.mode, expected) << static_cast<int>(mode) << " " << pauseWhenAway;
            const bool fullScreen = world.settings.fullScreen;
            press(platform::kKeyF11);
            EXPECT_EQ(world.mode, expected);
            EXPECT_NE(world.settings.fullScreen, fullScreen);
        }
    }
}

}  // namespace
