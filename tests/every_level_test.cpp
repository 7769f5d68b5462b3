#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/game_world.h"
#include "core/screens.h"
#include "core/startup.h"
#include "core/window_input.h"
#include "gameplay/flight.h"
#include "message_recorder.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

// A player that knows the level: it steers into a lane that is free in the
// next row of rocks and from which the row after can still be reached, using
// only the arrow keys, one press at a time, through the real window procedure.
class LanePilot {
public:
    void steer() {
        if (!resting()) return;
        const int target = targetLane();
        if (target < world.shipX) press(platform::kKeyRight);
        if (target > world.shipX) press(platform::kKeyLeft);
    }

private:
    static constexpr std::array<int, 3> kLanes = {-30, 0, 30};
    static constexpr float kRowDepth = 60.0f;  // rocks this close in depth form one row

    struct Row {
        float worldZ;
        std::array<bool, 3> blocked{};
    };

    static bool resting() {
        return world.shipX == -30.0f || world.shipX == 0.0f || world.shipX == 30.0f;
    }
    static void press(uintptr_t key) { windowProc(nullptr, platform::kMsgKeyDown, key, 1); }

    // Rows of lane rocks still ahead of the ship's nose, nearest first.
    static std::vector<Row> rowsAhead() {
        const float shipWorldZ = world.shipZ + 90;
        std::vector<std::pair<float, int>> rocks;
        for (int i = 0; i < world.rockCount; ++i) {
            const RockPosition& rock = world.rockPos[i];
            if (std::abs(rock.x) > 45) continue;  // scenery beside the lanes
            const float z = -static_cast<float>(rock.z);
            if (z > shipWorldZ + 10) continue;  // already passed
            const int lane = rock.x < -15 ? 0 : (rock.x > 15 ? 2 : 1);
            rocks.push_back({z, lane});
        }
        std::sort(rocks.begin(), rocks.end(), [](auto a, auto b) { return a.first > b.first; });
        std::vector<Row> rows;
        for (const auto& [z, lane] : rocks) {
            if (rows.empty() || rows.back().worldZ - z > kRowDepth) rows.push_back({z, {}});
            rows.back().blocked[lane] = true;
        }
        return rows;
    }

    int targetLane() const {
        const std::vector<Row> rows = rowsAhead();
        const int current = world.shipX < 0 ? 0 : (world.shipX > 0 ? 2 : 1);
        if (rows.empty()) return kLanes[current];
        // From the far end back: which lanes of each row lead on safely.
        std::vector<std::array<bool, 3>> goodLanes(rows.size());
        for (size_t k = rows.size(); k-- > 0;) {
            for (int lane = 0; lane < 3; ++lane) {
                bool good = !rows[k].blocked[lane];
                if (good && k + 1 < rows.size()) {
                    const float gap = rows[k].worldZ - rows[k + 1].worldZ;
                    const int reach = gap > 330 ? 2 : 1;
                    bool onward = false;
                    for (int next = 0; next < 3; ++next)
                        onward |= goodLanes[k + 1][next] && std::abs(next - lane) <= reach;
                    good = onward;
                }
                goodLanes[k][lane] = good;
            }
        }
        int best = current;
        int bestDistance = 99;
        for (int lane = 0; lane < 3; ++lane) {
            if (goodLanes[0][lane] && std::abs(lane - current) < bestDistance) {
                best = lane;
                bestDistance = std::abs(lane - current);
            }
        }
        return kLanes[best];
    }
};

// Plays from level 0 with the given pilot until the run ends; returns the
// number of levels finished.
template <typename Steer>
int playThrough(Steer steer) {
    windowProc(nullptr, platform::kMsgKeyDown, platform::kKeyF1, 1);
    int levelsFinished = 0;
    int framesInLevel = 0;
    while (world.mode == GameMode::Playing || world.mode == GameMode::LevelTransition) {
        if (world.mode == GameMode::LevelTransition) {
            ++levelsFinished;
            framesInLevel = 0;
            applySteering();
            levelTransitionFrame();
            continue;
        }
        steer();
        applySteering();
        playingFrame();
        if (++framesInLevel >= 3000) {
            ADD_FAILURE() << "level " << world.level << " never ends";
            break;
        }
    }
    return levelsFinished;
}

// The game played through from level 0 to the end, on a small screen so the
// frames cost little, with the real content and every real frame function.
TEST(EveryLevel, CanBeFinishedWithoutACrash) {
    resetWorld();
    TempWorkingFolder folder;
    folder.copyWholeGame();
    MessageRecorder messages;
    const int16_t screenWidth = world.screenWidth, screenHeight = world.screenHeight;
    world.screenWidth = 160;
    world.screenHeight = 120;
    platform::WindowHandle window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(loadGame(window));
    ASSERT_TRUE(messages.boxes.empty()) << messages.boxes.front().text;

    LanePilot pilot;
    const int levelsFinished = playThrough([&] { pilot.steer(); });
    EXPECT_EQ(world.mode, GameMode::TheEnd) << "crashed in level " << world.level << " at z "
                                            << world.shipZ;
    EXPECT_EQ(levelsFinished, 20);  // the 21st completion goes straight to the end
    EXPECT_EQ(world.level, 21);


    // The same game flown straight ahead, without steering, meets a rock.
    world.mode = GameMode::Menu;
    const int straightAhead = playThrough([] {});
    EXPECT_EQ(world.mode, GameMode::GameOver);
    EXPECT_LT(straightAhead, 3);

    platform::destroyWindow(window);
    shutdownGame();
    resetWorld();
    world.screenWidth = screenWidth;
    world.screenHeight = screenHeight;
}

}  // namespace
