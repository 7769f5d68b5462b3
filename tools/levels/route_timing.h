#pragma once
// How much time a level's route leaves the player for each action on it: a
// lane change or a rocket shot. Worked out from the game's rules of motion
// and the models' sizes, in depths of the ship's centre (distance ahead of
// the start line; the ship starts at -rules::kShipLead and gains
// rules::kShipAdvance a frame).

#include <vector>

#include "gameplay/rules.h"

constexpr int kLaneCount = 3;  // lanes 0, 1, 2 at x = -30, 0, 30
constexpr int kShipStartDepth = -rules::kShipLead;

struct LaneRock {
    int lane;
    int depth;
};

// A place the route passes in one lane: a row of rocks, or a bomb pickup.
struct Gate {
    int depth = 0;  // a row: its nearest rock; a pickup: where it lies
    int lane = 1;   // the lane the route takes there
    bool pickup = false;
    std::vector<LaneRock> rocks;  // a row's rocks, at most one a lane
    bool wall() const { return rocks.size() == kLaneCount; }
};

// Depths of the ship's centre at which the key may be pressed, first to last.
struct Window {
    double earliest;
    double latest;
    int frames() const;
};

// Moving from lane `fromLane` at `from` to `toLane` at `to`, at rest there,
// with the ship free to act from `ready` on (its previous action done).
Window laneChangeWindow(const Gate& from, int fromLane, const Gate& to, int toLane, double ready);
// Where a lane change of `lanes` lanes started at `start` is over.
double laneChangeEnd(double start, int lanes);
// Firing from `lane`, after `from`, at the rock of `target` in that lane.
Window shotWindow(const Gate& from, int lane, const Gate& target, double ready);

// What the route asks of the player between two of its gates, if anything,
// and where the ship is free again when it is done at its earliest.
struct Action {
    bool needed = false;
    Window window{};
    double doneAt = 0;
};
Action actionBetween(const Gate& from, const Gate& to, double ready);

// The fewest frames any action of the route leaves, each action made at its
// earliest; route[0] is the start.
int tightestFrames(const std::vector<Gate>& route);
