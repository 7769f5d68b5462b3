#pragma once
// A replay: how a run of play began and what the player did in it, frame by
// frame; read back, it plays out the same. Its text form is described in
// README.md ("Replays"):
//
//   vorlune replay 1
//   seed <the random numbers' seed at the start>
//   passes <frames in the run>
//   start
//   <the state play started from, one field a line>
//   inputs <count>
//   <frame> <input>          taken before that frame, frames counted from 0
//   end
//   <the state the run ended in>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gameplay/run_state.h"

constexpr int kReplayFormat = 1;
// Far more than a run through every level with a key in each frame needs.
constexpr size_t kLargestReplayFile = 16u << 20;
constexpr size_t kMostReplayInputs = 500000;

// An input is a key code the game took, or this for a window closed.
constexpr uint32_t kInputWindowClosed = 0x10000;

struct ReplayInput {
    uint32_t pass = 0;  // taken before this frame of the run (or, at `passes`, after the last)
    uint32_t input = 0;
    bool operator==(const ReplayInput&) const = default;
};

struct Replay {
    uint32_t seed = 0;
    uint32_t passes = 0;
    RunState start;
    std::vector<ReplayInput> inputs;  // in the order they were taken
    RunState end;
};

std::string replayText(const Replay& replay);
// Nothing for text that is not a whole replay of this format; `error` says why.
std::optional<Replay> parseReplay(std::string_view text, std::string& error);
// Reads and parses the file `name` (a regular file of at most kLargestReplayFile bytes).
std::optional<Replay> readReplayFile(const std::string& name, std::string& error);
