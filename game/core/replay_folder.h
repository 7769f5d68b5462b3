#pragma once
// The player's replays: in replays/ beside the progress file, each named by
// the local time and the level its run started on; the newest 20 are kept.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "gameplay/replay_file.h"

constexpr const char* kReplayFolder = "replays";
constexpr size_t kReplaysKept = 20;

// "2026-12-08_23-59-12_level-3.replay" for a run started on level 3 then.
std::string replayFileName(std::time_t when, int32_t level);
// Saves `replay` in `folder` (made when missing) under a name of its own,
// then removes the oldest of the game's replays there beyond the newest
// kReplaysKept; files of any other name are the player's and stay. The
// path saved, or empty when it could not be saved.
std::string saveReplay(const std::string& folder, const Replay& replay, std::time_t when);
// Keeps every run the game records in the player's replay folder.
void keepRunsInReplayFolder();
