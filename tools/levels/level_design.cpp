#include "level_design.h"

#include <algorithm>
#include <cstdint>

#include "route_timing.h"

// How the levels are laid out, and why:
// - The ship flies rules::kShipAdvance (3.33) units a frame and needs 30
//   frames (100 units of depth) to change lane; lanes are x = -30, 0 and 30
//   and the ship flies at y = 35 (gameplay/rules.h), so every rock that
//   matters stands in a lane at about y 35.
// - A level is a route: rows of rocks, each passed in a lane it leaves open,
//   and pickups, each taken in its lane. Each row or pickup is laid as close
//   to the one before as the level's pace allows, then moved on until the
//   action between them (a lane change, or a shot at a wall) leaves at least
//   the level's least time: a second on level 0, a quarter of one on level 20.
// - Levels 0 to 2 teach steering: one rock a row, and every row asks for a
//   lane change. From level 3 pickups appear, each a lane aside from the
//   route, and rows close two lanes; from level 8 some lane changes cross
//   all three lanes.
// - From level 6 walls close all three lanes. The pickup just before each
//   lies in the lane the wall is passed in, far enough ahead of the wall for
//   its rocket, and a lane aside from the row before it: it is taken on
//   purpose, and a player who flies past every pickup meets the wall with
//   nothing to fire. Levels 6 to 9 have one pickup to spare, early on; from
//   level 10 there is none: each pickup must be taken, in time for its wall.
// - The first row is some 320 units ahead and leaves the middle open: a
//   new game starts in the middle, and a level entered from an outer lane
//   still has room for a lane change.
// - A level ends when the ship passes its farthest rock, and that end only
//   ever moves further away, so each level is longer than the one before:
//   1500 units for level 0 up to 6000 for level 20 (at 62 frames a second,
//   7 to 29 seconds). The last rock stands at exactly that depth.
// - A row closing two lanes costs two of the 50 rock slots and a wall three;
//   where a level would need more, its last two-lane rows close one lane
//   only, which only ever leaves more time. Rocks beside the lanes
//   (|x| >= 75) are scenery: they can never touch the ship.

namespace {

constexpr int kMaxRocks = 50;
constexpr int kMaxPickups = 5;
constexpr int kOuterLaneX = static_cast<int>(rules::kLaneX);
constexpr int kLaneX[kLaneCount] = {-kOuterLaneX, 0, kOuterLaneX};
constexpr int kFirstRow = 320;
constexpr int kFirstWall = 900;
constexpr int kEndRoom = 120;  // between the route's last row and the level's end
constexpr int kNudge = 5;      // how far a row or pickup moves on while its action is too quick

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

struct Pace {
    int length;
    int rowGap;          // least depth from one row to the next
    int extraGap;        // up to this much more, at random
    int twoLanePercent;  // rows that close two lanes
    int acrossPercent;   // lane changes from an outer lane across to the other
    int walls;
    int pickups;
    int leastFrames;  // the least time an action may leave
};

Pace paceOf(int level) {
    Pace pace{};
    pace.length = 1500 + 225 * level;
    pace.rowGap = std::max(180, 330 - 8 * level);
    pace.extraGap = std::max(20, 120 - 5 * level);
    pace.twoLanePercent = level < 3 ? 0 : std::min(65, 15 + 3 * level);
    pace.acrossPercent = level < 8 ? 0 : std::min(50, 5 * (level - 7));
    pace.walls = level < 6 ? 0 : std::min(4, 1 + (level - 6) / 4);
    // While walls are new, one pickup to spare; later each pickup counts.
    const int spare = level < 6 ? level - 2 : (level < 10 ? 1 : 0);
    pace.pickups = level < 3 ? 0 : std::min(kMaxPickups, pace.walls + spare);
    pace.leastFrames = std::max(16, 60 - 22 * level / 10);
    return pace;
}

// About where a pickup comes, with a wall after it or not.
struct Beat {
    int depth;
    bool wall;
};

std::vector<Beat> plannedBeats(const Pace& pace) {
    std::vector<Beat> beats;
    // The first wall comes early, the others spread over the rest of the level.
    const int lastWall = pace.length * 4 / 5;
    for (int i = 0; i < pace.walls; ++i) {
        beats.push_back(
            {kFirstWall + (lastWall - kFirstWall) * i / std::max(1, pace.walls - 1), true});
    }
    const int spare = pace.pickups - pace.walls;
    for (int i = 0; i < spare; ++i) {
        const int depth = pace.walls > 0 ? 600 + 300 * i : pace.length * (i + 1) / (spare + 1);
        beats.push_back({depth, false});
    }
    std::sort(beats.begin(), beats.end(), [](Beat a, Beat b) { return a.depth < b.depth; });
    return beats;
}

std::vector<int> allLanesBut(int open) {
    std::vector<int> lanes;
    for (int lane = 0; lane < kLaneCount; ++lane)
        if (lane != open) lanes.push_back(lane);
    return lanes;
}

// Lays the route gate by gate, each only as far on as its action needs.
class RouteBuilder {
public:
    RouteBuilder(const Pace& pace, Dice& dice) : pace_(pace), dice_(dice) {
        Gate start;
        start.depth = kShipStartDepth;
        route_.push_back(start);
    }
    const Gate& last() const { return route_.back(); }
    std::vector<Gate>& route() { return route_; }

    // A row passed in `lane` that closes `closed`, about `gap` after the last gate.
    bool addRow(int lane, const std::vector<int>& closed, int gap) {
        Gate row;
        row.lane = lane;
        for (int closedLane : closed) row.rocks.push_back({closedLane, dice_.between(-5, 5)});
        return place(row, last().depth + gap);
    }

    // A pickup a lane aside from the route, then a wall passed in its lane,
    // or a row that leaves both lanes open.
    bool addPickup(bool wall, int gap) {
        const size_t before = route_.size();
        const int from = last().lane;
        Gate pickup;
        pickup.pickup = true;
        pickup.lane = from == 1 ? (dice_.chance(50) ? 0 : 2) : 1;
        bool placed = place(pickup, last().depth + gap / 2);
        if (placed) {
            placed = wall ? addRow(pickup.lane, allLanesBut(-1), 40)
                          : addRow(pickup.lane, {kLaneCount - from - pickup.lane}, gap / 2);
        }
        if (!placed) route_.resize(before);
        return placed;
    }

    // The level's farthest rock, at its very end, beside the route's lane.
    void finish() {
        Gate row;
        row.lane = last().lane;
        row.depth = pace_.length;
        row.rocks.push_back({(row.lane + dice_.between(1, 2)) % kLaneCount, pace_.length});
        route_.push_back(row);
    }

private:
    // `gate`'s rocks hold their offsets from `depth`.
    bool place(Gate gate, int depth) {
        const std::vector<LaneRock> offsets = gate.rocks;
        for (;; depth += kNudge) {
            if (depth > pace_.length - kEndRoom) return false;
            gate.depth = depth;
            for (size_t i = 0; i < offsets.size(); ++i) {
                gate.rocks[i].depth = depth + offsets[i].depth;
                if (i == 0 || gate.rocks[i].depth < gate.depth) gate.depth = gate.rocks[i].depth;
            }
            const Action action = actionBetween(last(), gate, ready_);
            if (action.needed && action.window.frames() < pace_.leastFrames) continue;
            ready_ = action.doneAt;
            route_.push_back(gate);
            return true;
        }
    }

    const Pace& pace_;
    Dice& dice_;
    std::vector<Gate> route_;
    double ready_ = kShipStartDepth;
};

// The lane the route takes at its next row, and the lanes that row closes.
void chooseRow(int level, const Pace& pace, int from, Dice& dice, int& lane,
               std::vector<int>& closed) {
    if (level < 3) {
        lane = from == 1 ? (dice.chance(50) ? 0 : 2) : 1;
        closed = {from};
        return;
    }
    const bool across = from != 1 && dice.chance(pace.acrossPercent);
    lane = across ? 2 - from : std::clamp(from + dice.between(-1, 1), 0, 2);
    if (across || dice.chance(pace.twoLanePercent)) {
        closed = allLanesBut(lane);
    } else {
        closed = {lane != from ? from : (lane + dice.between(1, 2)) % kLaneCount};
    }
}

int rockCount(const std::vector<Gate>& route) {
    int rocks = 0;
    for (const Gate& gate : route) rocks += static_cast<int>(gate.rocks.size());
    return rocks;
}

void keepWithinRockSlots(std::vector<Gate>& route) {
    int rocks = rockCount(route);
    for (size_t i = route.size(); i-- > 1 && rocks > kMaxRocks;) {
        Gate& row = route[i];
        if (row.rocks.size() != 2) continue;
        // The rock in the lane the route comes from stays: its lane change is still asked for.
        const size_t dropped = row.rocks[0].lane == route[i - 1].lane ? 1 : 0;
        row.rocks.erase(row.rocks.begin() + static_cast<std::ptrdiff_t>(dropped));
        row.depth = row.rocks[0].depth;
        --rocks;
    }
}

LevelLayout layoutOf(const std::vector<Gate>& route, const Pace& pace, Dice& dice) {
    LevelLayout layout;
    layout.length = pace.length;
    for (const Gate& gate : route) {
        if (gate.pickup) layout.pickups.push_back({kLaneX[gate.lane], 35, gate.depth});
        if (gate.rocks.empty()) continue;
        ++layout.rows;
        if (gate.wall()) ++layout.walls;
        for (const LaneRock& rock : gate.rocks) {
            layout.rocks.push_back(
                {kLaneX[rock.lane] + dice.between(-2, 2), 35 + dice.between(-4, 4), rock.depth});
        }
    }
    layout.tightestFrames = tightestFrames(route);
    layout.promisedFrames = pace.leastFrames;

    // Scenery beside the lanes, with what slots are left.
    const int scenery = std::min(8, kMaxRocks - static_cast<int>(layout.rocks.size()));
    for (int i = 0; i < scenery; ++i) {
        const int side = dice.chance(50) ? -1 : 1;
        layout.rocks.push_back(
            {side * dice.between(75, 130), dice.between(15, 70), dice.between(150, pace.length)});
    }
    return layout;
}

LevelLayout designLevel(int level) {
    Dice dice(static_cast<uint32_t>(level) + 1);
    const Pace pace = paceOf(level);
    RouteBuilder builder(pace, dice);

    // A new game starts in the middle lane: the first row leaves it open.
    const bool firstClosesTwo = level >= 3 && dice.chance(pace.twoLanePercent);
    const std::vector<int> firstClosed =
        firstClosesTwo ? allLanesBut(1) : std::vector<int>{dice.chance(50) ? 0 : 2};
    builder.addRow(1, firstClosed, kFirstRow - kShipStartDepth + dice.between(0, 40));

    const std::vector<Beat> beats = plannedBeats(pace);
    size_t beat = 0;
    for (bool room = true; room;) {
        const int gap = pace.rowGap + dice.between(0, pace.extraGap);
        if (beat < beats.size() && builder.last().depth + gap >= beats[beat].depth) {
            room = builder.addPickup(beats[beat++].wall, gap);
            continue;
        }
        int lane = 1;
        std::vector<int> closed;
        chooseRow(level, pace, builder.last().lane, dice, lane, closed);
        room = builder.addRow(lane, closed, gap);
    }
    builder.finish();
    keepWithinRockSlots(builder.route());
    return layoutOf(builder.route(), pace, dice);
}

}  // namespace

std::vector<LevelLayout> designLevels() {
    std::vector<LevelLayout> levels;
    for (int level = 0; level < kLevelCount; ++level) levels.push_back(designLevel(level));
    return levels;
}
