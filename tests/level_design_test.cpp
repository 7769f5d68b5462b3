// What the level generator says of the levels it lays out, checked on them.

#include "level_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/main_loop.h"

namespace {

TEST(LevelDesign, LessonsPickupsAndPaceFollowTheirSchedule) {
    const std::vector<LevelLayout> levels = designLevels();
    ASSERT_EQ(levels.size(), size_t{kLevelCount});
    for (int level = 0; level < kLevelCount; ++level) {
        SCOPED_TRACE(level);
        const LevelLayout& layout = levels[level];
        // While walls are new one pickup is to spare; from level 10 none.
        if (layout.needsRockets()) {
            EXPECT_EQ(layout.pickups.size(), size_t(layout.walls + (level < 10 ? 1 : 0)));
        }
        // No action is quicker than the level's pace, and no pace slower than the one before.
        EXPECT_GE(layout.tightestFrames, layout.promisedFrames);
        if (level > 0) {
            EXPECT_LE(layout.promisedFrames, levels[level - 1].promisedFrames);
        }
        // The first three teach steering: one rock a row, each row closing
        // the lane the row before left open (the level's last rock aside).
        if (level > 2) continue;
        std::vector<PlacedThing> inLanes;  // scenery stands at |x| >= 75
        std::copy_if(layout.rocks.begin(), layout.rocks.end(), std::back_inserter(inLanes),
                     [](const PlacedThing& rock) { return std::abs(rock.x) < 75; });
        std::sort(inLanes.begin(), inLanes.end(),
                  [](const PlacedThing& a, const PlacedThing& b) { return a.z < b.z; });
        EXPECT_EQ(inLanes.size(), size_t(layout.rows));
        for (size_t i = 1; i + 1 < inLanes.size(); ++i)
            EXPECT_NE(std::lround(inLanes[i].x / 30.0), std::lround(inLanes[i - 1].x / 30.0)) << i;
    }
    // From about a second on level 0 to a quarter of one on the last.
    const double framesPerSecond = 1000.0 / kFrameInterval;
    EXPECT_GE(levels.front().promisedFrames, 0.95 * framesPerSecond);
    EXPECT_NEAR(levels.back().tightestFrames, framesPerSecond / 4, 1);
}

}  // namespace
