#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/game_world.h"
#include "core/main_loop.h"
#include "core/replay_playback.h"
#include "core/run_recording.h"
#include "core/screens.h"
#include "core/startup.h"
#include "core/window_input.h"
#include "gameplay/flight.h"
#include "gameplay/level_files.h"
#include "gameplay/rules.h"
#include "level_pilot.h"
#include "message_recorder.h"
#include "temp_folder.h"
#include "updater_files.h"
#include "world_reset.h"

namespace {

// The game with its real content, on a small screen so the frames cost little.
class LoadedGame {
public:
    LoadedGame() {
        resetWorld();
        folder_.copyWholeGame();
        world.settings.fullScreen = false;
        world.settings.windowWidth = kSmallScreen.width;
        world.settings.windowHeight = kSmallScreen.height;
        window_ = createGameWindow(kSmallScreen.width, kSmallScreen.height);
        // The game keeps its window large enough for its texts; these flights
        // read none, and every pixel drawn costs on a software renderer.
        platform::setWindowMinimumSize(window_, kSmallScreen.width, kSmallScreen.height);
        platform::setWindowFullScreen(window_, false, kSmallScreen.width, kSmallScreen.height);
        loaded_ = window_ != nullptr && loadGame(window_);
    }
    ~LoadedGame() {
        if (window_ != nullptr) platform::destroyWindow(window_);
        if (loaded_) shutdownGame();
        resetWorld();
        world.screenWidth = screenWidth_;
        world.screenHeight = screenHeight_;
        world.settings = settings_;
    }
    bool loaded() const { return loaded_ && messages_.boxes.empty(); }

private:
    static constexpr platform::ScreenSize kSmallScreen{160, 120};
    const Settings settings_ = world.settings;
    const int16_t screenWidth_ = world.screenWidth;
    const int16_t screenHeight_ = world.screenHeight;
    TempWorkingFolder folder_;
    MessageRecorder messages_;
    platform::WindowHandle window_ = nullptr;
    bool loaded_ = false;
};

void press(uintptr_t key) { windowProc(nullptr, platform::kMsgKeyDown, key, 1); }

// As a player starts the level now loaded who starts the game with it saved
// and presses F2: in the middle lane, with no bombs and no rocket in flight.
void startAfresh() {
    world.shipX = 0.0f;
    world.shipZ = 0.0f;
    world.roll = 0.0f;
    world.bombs = 0;
    world.steerCommand.clear();
    for (auto& active : world.rocketActive) active = 0;
    world.mode = GameMode::Menu;
    press(platform::kKeyF2);
}

struct Flight {
    bool finished = false;
    bool crashed = false;
    double depth = 0;  // of the ship's centre in the last frame
    int bombs = 0;     // held when that frame began
};

// Flies the level being played, through the real frame functions, until it
// is passed or lost.
template <typename Act>
Flight fly(Act act) {
    Flight flight;
    for (int frame = 0; frame < 3000 && world.mode == GameMode::Playing; ++frame) {
        act();
        flight.bombs = world.bombs;
        flight.depth = -(world.shipZ + rules::kShipLead) + rules::kShipAdvance;
        runFrame();
    }
    flight.crashed = world.mode == GameMode::GameOver;
    flight.finished = world.mode == GameMode::LevelTransition || world.mode == GameMode::TheEnd;
    return flight;
}

std::optional<int> firstWallDepth() {
    for (const Gate& row : LevelPilot::rowsAhead(-1e9))
        if (row.wall()) return row.depth;
    return std::nullopt;
}

// The recorded runs of the pilots' flights through every level are kept in
// tests/replays/: the crash of a new game flown straight ahead, then one run
// a level. With VORLUNE_WRITE_PILOT_REPLAYS set the pilot test writes them
// anew (for a change to the rules or the levels that is meant).
const std::filesystem::path kPilotReplays = std::filesystem::path(__FILE__).parent_path() / "replays";

std::string pilotReplayName(size_t run) {
    return run == 0 ? "fresh-start-crash.replay"
                    : "fresh-start-level-" + std::to_string(run - 1) + ".replay";
}

Replay keptPilotReplay(size_t run) {
    std::string error;
    std::optional<Replay> replay = readReplayFile((kPilotReplays / pilotReplayName(run)).string(), error);
    EXPECT_TRUE(replay.has_value()) << pilotReplayName(run) << ": " << error;
    return replay.value_or(Replay{});
}

// Every level, each from a fresh start, played as one game from level 0
// through the real level transitions to the end; each flight is recorded
// and must be the one kept, key for key and state for state.
TEST(EveryLevel, IsFinishedFromAFreshStartWithArrowsPickupsAndRockets) {
    LoadedGame game;
    ASSERT_TRUE(game.loaded());
    std::vector<Replay> runs;
    keepRecordedRuns([&](const Replay& run) { runs.push_back(run); });

    // Flown straight ahead, without steering, a new game meets a rock.
    press(platform::kKeyF1);
    EXPECT_TRUE(fly([] {}).crashed);
    press(platform::kKeyEnter);

    press(platform::kKeyF1);
    for (int level = 0;; ++level) {
        LevelPilot pilot({});
        const Flight flight = fly([&] { pilot.act(); });
        ASSERT_TRUE(flight.finished) << "level " << level << " lost at depth " << flight.depth;
        if (world.mode == GameMode::TheEnd) break;
        finishRunRecording();
        levelTransitionFrame();
        startAfresh();
    }
    EXPECT_EQ(world.level, kLastLevel + 1);
    keepRecordedRuns(nullptr);

    ASSERT_EQ(runs.size(), kLastLevel + 2u);
    for (size_t run = 0; run < runs.size(); ++run) {
        if (std::getenv("VORLUNE_WRITE_PILOT_REPLAYS") != nullptr) {
            writeFile((kPilotReplays / pilotReplayName(run)).string(), replayText(runs[run]));
            continue;
        }
        const Replay kept = keptPilotReplay(run);
        EXPECT_EQ(runs[run].passes, kept.passes) << pilotReplayName(run);
        EXPECT_TRUE(runs[run].inputs == kept.inputs) << pilotReplayName(run) << ": other keys";
        EXPECT_EQ(differingFields(runs[run].start, kept.start), std::vector<std::string>{})
            << pilotReplayName(run) << " starts elsewhere";
        EXPECT_EQ(differingFields(runs[run].end, kept.end), std::vector<std::string>{})
            << pilotReplayName(run) << " ends elsewhere";
    }
}

// The kept runs, shown as a replay, end exactly as recorded, and leave the
// game and the player's progress as they were. Four of them by default (a
// crash, the first level, the first with a wall, the densest); every one
// with VORLUNE_REPLAY_EVERY_PILOT_RUN set.
TEST(EveryLevel, PilotRunsPlayBackAsRecorded) {
    LoadedGame game;
    ASSERT_TRUE(game.loaded());
    writeFile("Data.vrp", "4.2");
    const RunState before = captureRunState();
    std::vector<size_t> shown = {0, 1, 7, kLastLevel + 1};
    if (std::getenv("VORLUNE_REPLAY_EVERY_PILOT_RUN") != nullptr) {
        shown.clear();
        for (size_t run = 0; run < kLastLevel + 2u; ++run) shown.push_back(run);
    }
    for (const size_t run : shown) {
        startReplay(keptPilotReplay(run), pilotReplayName(run));
        for (int frame = 0; world.watchingReplay && frame < 10000; ++frame) runFrame();
        EXPECT_FALSE(world.watchingReplay) << pilotReplayName(run);
        EXPECT_EQ(lastReplayDifferences(), std::vector<std::string>{}) << pilotReplayName(run);
        EXPECT_EQ(world.mode, GameMode::Menu);
        EXPECT_EQ(differingFields(captureRunState(), before), std::vector<std::string>{});
    }
    EXPECT_EQ(readFile("Data.vrp"), "4.2");
}

// From level 6 on some rows close all three lanes: only a rocket opens one,
// and only a pickup gives a rocket. A pilot that never fires and one that
// flies around every pickup each lose such a level at its first wall.
TEST(EveryLevel, WithAWallIsLostWithoutRocketsOrWithoutPickups) {
    LoadedGame game;
    ASSERT_TRUE(game.loaded());
    const PilotHabits neverFires{.fires = false};
    const PilotHabits passesPickups{.takesPickups = false};
    for (int level = 0; level <= kLastLevel; ++level) {
        for (const PilotHabits& habits : {neverFires, passesPickups}) {
            world.level = level;
            loadLevel();  // as start-up loads the saved level
            const std::optional<int> wall = firstWallDepth();
            ASSERT_EQ(wall.has_value(), level >= 6) << "level " << level;
            if (!wall) break;
            startAfresh();
            LevelPilot pilot(habits);
            const Flight flight = fly([&] { pilot.act(); });
            const char* who = habits.fires ? "flying past every pickup" : "never firing";
            EXPECT_TRUE(flight.crashed) << "level " << level << " finished " << who;
            EXPECT_NEAR(flight.depth, *wall, 25) << "level " << level << " " << who;
            // The one who never fires held the pickup's bomb all the same.
            EXPECT_EQ(flight.bombs > 0, !habits.fires) << "level " << level << " " << who;
        }
    }
}

// The levels are laid out by the timing the pilots plan with; here it meets
// the game itself. A lane change begun at the earliest depth that timing
// names passes behind the rock of the row it leaves, standing in the lane it
// enters a little deeper than the row's other rock, on either side; begun
// three frames sooner it strikes that rock (the timing keeps two frames for
// rocks set off their lane).
TEST(EveryLevel, ALaneChangeBegunAtItsEarliestPassesBehindTheRockBeside) {
    LoadedGame game;
    ASSERT_TRUE(game.loaded());
    for (const int lane : {0, 2}) {
        // The row, then the level's end far on in the lane left.
        std::ofstream("Level0.vr") << (lane - 1) * rules::kLaneX << "\n35\n610\n\n"
                                   << (1 - lane) * rules::kLaneX << "\n35\n600\n\n0\n35\n2000\n";
        const Gate row{.depth = 600, .lane = 1, .rocks = {{2 - lane, 600}, {lane, 610}}};
        const Gate end{.depth = 2000, .lane = lane, .rocks = {}};
        const double earliest = laneChangeWindow(row, 1, end, lane, kShipStartDepth).earliest;
        for (const int framesLate : {0, -3}) {
            world.level = 0;
            loadLevel();
            startAfresh();
            bool pressed = false;
            const Flight flight = fly([&] {
                const double depth = -(world.shipZ + rules::kShipLead);
                if (pressed || depth < earliest + framesLate * rules::kShipAdvance) return;
                press(lane == 0 ? platform::kKeyRight : platform::kKeyLeft);  // as the pilot steers
                pressed = true;
            });
            EXPECT_EQ(flight.finished, framesLate == 0)
                << "lane " << lane << ", " << framesLate << " frames late, earliest " << earliest;
        }
    }
}

// A player new to the game: sees only what the screen shows (the view ends
// some 900 ahead of the ship) and presses each key `reactionFrames` frames
// after the moment it could first be pressed.
Flight flyReactingLate(int reactionFrames) {
    LevelPilot pilot({.sight = 900, .slackFrames = reactionFrames + 3});
    int frame = 0;
    int pressFrame = 0;        // the frame the key waiting is pressed in
    uintptr_t waitingKey = 0;  // none waits
    return fly([&] {
        ++frame;
        if (waitingKey == 0) {
            if (const std::optional<uintptr_t> key = pilot.decide()) {
                waitingKey = *key;
                pressFrame = frame + reactionFrames;
            }
        }
        if (waitingKey != 0 && frame >= pressFrame) {
            press(waitingKey);
            waitingKey = 0;
        }
    });
}

// Level 0 is finished at the first try by a player new to the game who
// reacts half a second late (31 frames of 16 ms); the last level is not.
TEST(EveryLevel, TheFirstIsFinishedByAPlayerWhoReactsHalfASecondLate) {
    LoadedGame game;
    ASSERT_TRUE(game.loaded());
    constexpr int kHalfASecond = 31;
    for (const int level : {0, kLastLevel}) {
        world.level = level;
        loadLevel();
        startAfresh();
        const Flight flight = flyReactingLate(kHalfASecond);
        EXPECT_EQ(flight.finished, level == 0) << "level " << level << ", depth " << flight.depth;
    }
}

}  // namespace
