#include "route_timing.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "content/model_sizes.h"
#include "gameplay/rules.h"

namespace {

// The game's rules of motion, per frame.
constexpr double kAdvance = rules::kShipAdvance;
constexpr int kLaneWidth = static_cast<int>(rules::kLaneX);
// The frames a lane change takes.
constexpr int kLaneChangeFrames = static_cast<int>(rules::kLaneX / rules::kSteerStep);
constexpr double kRocketAdvance = rules::kRocketAdvance;

// Box reaches in the world, as the game scales the models.
constexpr double kRockScale = rules::kRockScale;
constexpr double kShipScale = rules::kShipScaleSideways;
constexpr double kRockHalfWidth = model_sizes::kRockHalfWidth * kRockScale;
constexpr double kRockHalfDepth = model_sizes::kRockHalfDepth * kRockScale;
constexpr double kShipHalfSpan = model_sizes::kShipHalfSpan * kShipScale;
constexpr double kShipNose = -model_sizes::kShipNoseZ * kShipScale;
constexpr double kShipTail = model_sizes::kShipTailZ * kShipScale;
constexpr double kPickupHalf = model_sizes::kBombRadius * rules::kPickupScale;
constexpr double kRockOffLane = 2;  // the levels set rocks up to 2 off their lane

// The ship is beside a rock while their centres are closer sideways than
// this; it meets a rock when its centre comes this close before the rock's,
// and is clear of it this far past.
constexpr double kSideReach = kRockHalfWidth + kShipHalfSpan + kRockOffLane;
constexpr double kNoseReach = kRockHalfDepth + kShipNose;
constexpr double kTailReach = kRockHalfDepth + kShipTail;
// It takes a pickup from this far before it.
constexpr double kPickupReach = kPickupHalf + kShipNose;
constexpr double kRocketReach = model_sizes::kRocketHalfLength + kRockHalfDepth;

// In the k-th frame of a lane change the ship has moved k units sideways.
// The j-th lane of the way (0: the lane left) is beside it from frame
// firstBeside(j) to lastBeside(j).
int firstBeside(int j) { return static_cast<int>(std::floor(kLaneWidth * j - kSideReach)) + 1; }
int lastBeside(int j) { return static_cast<int>(std::ceil(kLaneWidth * j + kSideReach)) - 1; }

// Where the ship is at `gate` for the first time: at a row, or with the
// pickup taken, since the frame that takes it may come as late as this.
double reached(const Gate& gate) {
    return gate.pickup ? gate.depth - kPickupReach + kAdvance : gate.depth - kNoseReach;
}

// Whether a rocket fired `lead` ahead of a rock strikes it before the ship
// meets it. The rules of frame k test the rocket where frame k - 1 drew it,
// and the rocket starts up to a unit behind the ship's centre; a rock struck
// in the frame the ship meets it still stands there for the ship.
bool rocketArrivesFirst(double lead) {
    for (int k = 1;; ++k) {
        if (lead - kAdvance * k < kNoseReach) return false;
        if (k >= 2 && lead - (kRocketAdvance * (k - 2) - 1) < kRocketReach) return true;
    }
}

// The least distance to fire from, with a frame to spare.
double shotLead() {
    static const double lead = [] {
        int least = 200;
        while (rocketArrivesFirst(least - 1)) --least;
        return least + kAdvance;
    }();
    return lead;
}

}  // namespace

int Window::frames() const { return static_cast<int>(std::floor((latest - earliest) / kAdvance)); }

Window laneChangeWindow(const Gate& from, int fromLane, const Gate& to, int toLane, double ready) {
    const int lanes = std::abs(toLane - fromLane);
    const int way = toLane > fromLane ? 1 : -1;
    double earliest = std::max(ready, reached(from));
    for (const LaneRock& rock : from.rocks) {
        // A rock in a lane the ship comes beside must be behind it by then.
        const int j = (rock.lane - fromLane) * way;
        if (j >= 1 && j <= lanes) {
            earliest = std::max(earliest, rock.depth + kTailReach - kAdvance * firstBeside(j));
        }
    }
    double latest =
        (to.pickup ? to.depth - kPickupReach : to.depth) - kAdvance * kLaneChangeFrames * lanes;
    for (const LaneRock& rock : to.rocks) {
        // A rock in a lane the ship leaves or crosses must not be met while beside it.
        const int j = (rock.lane - fromLane) * way;
        if (j >= 0 && j < lanes) {
            latest = std::min(latest, rock.depth - kNoseReach - kAdvance * lastBeside(j));
        }
    }
    return {earliest, latest};
}

double laneChangeEnd(double start, int lanes) {
    return start + kAdvance * kLaneChangeFrames * lanes;
}

Window shotWindow(const Gate& from, int lane, const Gate& target, double ready) {
    int rockDepth = target.depth;
    for (const LaneRock& rock : target.rocks) {
        if (rock.lane == lane) rockDepth = rock.depth;
    }
    return {std::max(ready, reached(from)), rockDepth - shotLead()};
}

Action actionBetween(const Gate& from, const Gate& to, double ready) {
    if (to.wall()) {
        const Window shot = shotWindow(from, to.lane, to, ready);
        return {true, shot, shot.earliest};
    }
    if (to.lane == from.lane) return {false, {ready, ready}, ready};
    const Window move = laneChangeWindow(from, from.lane, to, to.lane, ready);
    return {true, move, laneChangeEnd(move.earliest, std::abs(to.lane - from.lane))};
}

int tightestFrames(const std::vector<Gate>& route) {
    int tightest = INT_MAX;
    double ready = kShipStartDepth;
    for (size_t i = 1; i < route.size(); ++i) {
        const Action action = actionBetween(route[i - 1], route[i], ready);
        if (!action.needed) continue;
        tightest = std::min(tightest, action.window.frames());
        ready = action.doneAt;
    }
    return tightest;
}
