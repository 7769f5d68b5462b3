#include "level_design.h"

#include <algorithm>
#include <cstdint>

// How the levels are laid out, and why:
// - The ship flies 3.33 units a frame and needs 30 frames (100 units of
//   depth) to change lane; lanes are x = -30, 0 and 30 and the ship flies at
//   y = 35, so every rock that matters stands in a lane at about y 35.
// - Rocks come in rows. Each row leaves one lane free (the safe lane); the
//   safe lane moves at most one lane from row to row, and rows are at least
//   200 units apart, which leaves the 100 units of a lane change plus the
//   depth of a rock and of the ship.
// - The first row is at least 300 units ahead: a level starts wherever the
//   previous one left the ship sideways, and it may need two lane changes.
// - A level ends when the ship passes its farthest rock, and that end only
//   ever moves further away, so each level is longer than the one before:
//   1500 units for level 0 up to 6000 for level 20 (at 62 frames a second,
//   7 to 29 seconds).
// - Harder levels have closer rows and more rows blocking two lanes; the
//   50 rock slots cap the densest levels. Rocks beside the lanes (|x| >= 70)
//   are scenery: they can never touch the ship.
// - Bomb pickups lie in the safe lane halfway between two rows whose safe
//   lanes agree, so taking one never forces a crash.

namespace {

constexpr int kMaxRocks = 50;
constexpr int kMaxPickups = 5;
constexpr int kLanes[3] = {-30, 0, 30};

// A small deterministic generator: the levels are the same on every build.
class Dice {
public:
    explicit Dice(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int between(int lo, int hi) { return lo + static_cast<int>(next() % (hi - lo + 1)); }
    bool chance(int percent) { return between(1, 100) <= percent; }

private:
    uint32_t state_;
};

struct Row {
    int z;
    int safeLane;  // index into kLanes
    bool twoBlocked;
};

}  // namespace

LevelLayout designLevel(int level) {
    Dice dice(static_cast<uint32_t>(level) + 1);
    const int length = 1500 + 225 * level;
    const int spacing = 300 - 5 * level;
    const int firstRow = 320;
    const int twoBlockedPercent = std::min(75, 10 + level * 4);

    std::vector<Row> rows;
    int safe = 1;
    for (int z = firstRow; z <= length; z += spacing) rows.push_back({z, safe, false});
    rows.back().z = length;  // the farthest rock sets the level's end
    for (Row& row : rows) {
        // A new game starts in the middle lane: the first row leaves it free.
        const int step = &row == &rows.front() ? 0 : dice.between(-1, 1);
        safe = std::clamp(safe + step, 0, 2);
        row.safeLane = safe;
        row.twoBlocked = dice.chance(twoBlockedPercent);
    }
    // Two-lane rows cost two rock slots; keep within the slots.
    int needed = 0;
    for (const Row& row : rows) needed += row.twoBlocked ? 2 : 1;
    for (auto row = rows.rbegin(); row != rows.rend() && needed > kMaxRocks; ++row) {
        if (row->twoBlocked) {
            row->twoBlocked = false;
            --needed;
        }
    }

    LevelLayout layout;
    for (const Row& row : rows) {
        std::vector<int> blocked;
        for (int lane = 0; lane < 3; ++lane)
            if (lane != row.safeLane) blocked.push_back(lane);
        if (!row.twoBlocked) blocked = {blocked[dice.between(0, 1)]};
        for (int lane : blocked) {
            layout.rocks.push_back({kLanes[lane] + dice.between(-2, 2), 35 + dice.between(-4, 4),
                                    row.z + (row.z == length ? 0 : dice.between(-10, 10))});
        }
    }

    // Scenery beside the lanes, with what slots are left.
    const int scenery = std::min(8, kMaxRocks - static_cast<int>(layout.rocks.size()));
    for (int i = 0; i < scenery; ++i) {
        const int side = dice.chance(50) ? -1 : 1;
        layout.rocks.push_back({side * dice.between(75, 130), dice.between(15, 70),
                                dice.between(150, length)});
    }

    const int pickupCount = std::min(kMaxPickups, 1 + level / 4);
    for (size_t i = 0; i + 1 < rows.size() && layout.pickups.size() < static_cast<size_t>(pickupCount);
         ++i) {
        if (rows[i].safeLane != rows[i + 1].safeLane) continue;
        if (i % 2 == 1 && level < 8) continue;  // spread them out on the easy levels
        layout.pickups.push_back({kLanes[rows[i].safeLane], 35, (rows[i].z + rows[i + 1].z) / 2});
    }
    return layout;
}
