#pragma once
// A pilot that flies the loaded level as a player who sees every rock and
// pickup ahead. Before each frame it plans the lane to take at each row and
// pickup still ahead, with the timing the levels are laid out by, and
// presses an arrow or Space through the real window procedure, one key at a
// time, when the plan asks for it. Its habits make the players the levels
// are tried with: one who takes pickups and fires, one who never fires, one
// who flies around every pickup.

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/game_world.h"
#include "core/window_input.h"
#include "gameplay/rules.h"
#include "route_timing.h"

struct PilotHabits {
    bool fires = true;
    bool takesPickups = true;
    double sight = 1e9;   // how far ahead rocks and pickups are seen
    int slackFrames = 3;  // the least time a plan leaves for its next action
};

class LevelPilot {
public:
    explicit LevelPilot(PilotHabits habits) : habits_(habits) {}

    // Called before each playing frame.
    void act() {
        if (const std::optional<uintptr_t> key = decide()) press(*key);
    }

    // The key the plan asks for now, if any.
    std::optional<uintptr_t> decide() {
        if (world.shipX != -rules::kLaneX && world.shipX != 0.0f && world.shipX != rules::kLaneX)
            return std::nullopt;
        gates_ = gatesAhead(shipDepth(), habits_.sight);
        if (gates_.empty()) return std::nullopt;
        const int lane = static_cast<int>(world.shipX / rules::kLaneX) + 1;
        const std::vector<int> plan = bestPlan(lane);
        if (plan.empty()) return std::nullopt;
        if (plan[0] != lane) return plan[0] < lane ? platform::kKeyRight : platform::kKeyLeft;
        if (shouldFire(lane, plan)) return platform::kKeySpace;
        return std::nullopt;
    }

    // The rows of rocks still ahead of `depth`, nearest first, without the
    // rocks a rocket in flight strikes first; a wall has a rock in each lane.
    static std::vector<Gate> rowsAhead(double depth) {
        std::vector<LaneRock> rocks;
        for (int i = 0; i < world.rockCount; ++i) {
            const RockPosition& rock = world.rockPos[i];
            if (std::abs(rock.x) > 45 || rock.z <= depth) continue;  // scenery, or passed
            rocks.push_back({laneOf(static_cast<float>(rock.x)), rock.z});
        }
        std::sort(rocks.begin(), rocks.end(),
                  [](const LaneRock& a, const LaneRock& b) { return a.depth < b.depth; });
        for (int j = 0; j < kRocketSlots; ++j) {
            if (world.rocketActive[j] != 1) continue;
            const int lane = laneOf(static_cast<float>(world.rocketX[j]));
            // A rocket meets a rock once its centre is 17 short of the rock's.
            const auto struck = std::find_if(rocks.begin(), rocks.end(), [&](const LaneRock& rock) {
                return rock.lane == lane && rock.depth > -world.rocketZ[j] - 17;
            });
            if (struck != rocks.end()) rocks.erase(struck);
        }
        std::vector<Gate> rows;
        for (const LaneRock& rock : rocks) {
            if (rows.empty() || rock.depth - rows.back().depth > kRowDepth) {
                rows.emplace_back();
                rows.back().depth = rock.depth;
            }
            rows.back().rocks.push_back(rock);
        }
        return rows;
    }

private:
    static constexpr int kMaxBombs = 5;
    static constexpr int kRowDepth = 60;  // rocks this close in depth form one row
    static constexpr int kEnded = -1;
    // What a plan is worth: gates passed first, then bombs left, then the
    // fewest lane changes.
    static constexpr int kGateWorth = 1000;
    static constexpr int kBombWorth = 20;

    using PerLaneAndBombs = std::array<std::array<int, kMaxBombs + 1>, kLaneCount>;

    static int laneOf(float x) { return x < -15 ? 0 : (x > 15 ? 2 : 1); }
    static double shipDepth() { return -(world.shipZ + rules::kShipLead); }
    static void press(uintptr_t key) { windowProc(nullptr, platform::kMsgKeyDown, key, 1); }
    static bool closed(const Gate& gate, int lane) {
        return std::any_of(gate.rocks.begin(), gate.rocks.end(),
                           [&](const LaneRock& rock) { return rock.lane == lane; });
    }
    // Where the ship is past a gate and free to move on: not before now.
    static double passed(const Gate& gate) {
        return std::max(shipDepth(), 1.0 * (gate.pickup ? gate.depth : gate.rocks.back().depth));
    }

    // The rows, and the pickups still there (their `lane` is where they lie).
    static std::vector<Gate> gatesAhead(double depth, double sight) {
        std::vector<Gate> gates = rowsAhead(depth);
        std::erase_if(gates, [&](const Gate& row) { return row.depth > depth + sight; });
        for (int i = 0; i < world.pickupCount; ++i) {
            const Matrix& place = world.pickups[i]->translation;
            const int pickupDepth = static_cast<int>(-place.m[3][2]);
            if (world.pickupActive[i] != 1 || pickupDepth + 10 < depth ||
                pickupDepth > depth + sight)
                continue;
            Gate pickup;
            pickup.pickup = true;
            pickup.depth = pickupDepth;
            pickup.lane = laneOf(place.m[3][0]);
            gates.push_back(pickup);
        }
        std::sort(gates.begin(), gates.end(),
                  [](const Gate& a, const Gate& b) { return a.depth < b.depth; });
        return gates;
    }

    bool canGo(const Gate& from, int fromLane, const Gate& to, int toLane, double ready) const {
        if (toLane < 0 || toLane >= kLaneCount) return false;
        // A closed lane opens only to a shot, fired from that lane.
        if (closed(to, toLane)) {
            return habits_.fires && toLane == fromLane &&
                   shotWindow(from, toLane, to, ready).frames() >= habits_.slackFrames;
        }
        return toLane == fromLane ||
               laneChangeWindow(from, fromLane, to, toLane, ready).frames() >= habits_.slackFrames;
    }

    // Bombs held after gate k taken in `lane`, or kEnded where the flight ends.
    int bombsAfter(size_t k, int lane, int bombs) const {
        const Gate& gate = gates_[k];
        if (gate.pickup && gate.lane == lane) {
            if (!habits_.takesPickups) return kEnded;
            bombs = std::min(bombs + 1, kMaxBombs);
        }
        if (closed(gate, lane)) return habits_.fires && bombs > 0 ? bombs - 1 : kEnded;
        return bombs;
    }

    // The worth of the best way on from arriving at gate k in `lane` with
    // `bombs`; the lane it takes at the next gate goes into next_.
    int worthFrom(size_t k, int lane, int bombs) {
        int& worth = worth_[k][lane][bombs];
        if (worth != INT_MIN) return worth;
        const int held = bombsAfter(k, lane, bombs);
        if (held == kEnded) return worth = static_cast<int>(k) * kGateWorth + bombs * kBombWorth;
        worth = static_cast<int>(k + 1) * kGateWorth + held * kBombWorth;
        if (k + 1 == gates_.size()) return worth;
        for (int next = 0; next < kLaneCount; ++next) {
            if (!canGo(gates_[k], lane, gates_[k + 1], next, passed(gates_[k]))) continue;
            const int onward = worthFrom(k + 1, next, held) - std::abs(next - lane);
            if (onward > worth) {
                worth = onward;
                next_[k][lane][bombs] = next;
            }
        }
        return worth;
    }

    // The lanes of the best plan, gate by gate, as far as it goes.
    std::vector<int> bestPlan(int lane) {
        PerLaneAndBombs unknown;
        for (auto& perBombs : unknown) perBombs.fill(INT_MIN);
        worth_.assign(gates_.size(), unknown);
        for (auto& perBombs : unknown) perBombs.fill(kEnded);
        next_.assign(gates_.size(), unknown);

        Gate here;
        here.depth = static_cast<int>(shipDepth());
        int bombs = std::min(world.bombs, kMaxBombs);
        int first = kEnded;
        int best = INT_MIN;
        for (const int candidate : {lane, lane - 1, lane + 1, lane - 2, lane + 2}) {
            if (!canGo(here, lane, gates_[0], candidate, shipDepth())) continue;
            const int worth = worthFrom(0, candidate, bombs) - std::abs(candidate - lane);
            if (worth > best) {
                best = worth;
                first = candidate;
            }
        }
        std::vector<int> plan;
        for (size_t k = 0; first != kEnded && k < gates_.size(); ++k) {
            plan.push_back(first);
            const int next = next_[k][first][bombs];
            bombs = bombsAfter(k, first, bombs);
            first = next;
        }
        return plan;
    }

    // Fires when the plan stays in this lane up to a rock in it.
    bool shouldFire(int lane, const std::vector<int>& plan) const {
        if (!habits_.fires || world.bombs <= 0) return false;
        for (int j = 0; j < kRocketSlots; ++j)
            if (world.rocketActive[j] == 1) return false;
        for (size_t k = 0; k < plan.size() && plan[k] == lane; ++k)
            if (closed(gates_[k], lane)) return true;
        return false;
    }

    PilotHabits habits_;
    std::vector<Gate> gates_;
    std::vector<PerLaneAndBombs> worth_;
    std::vector<PerLaneAndBombs> next_;
};
