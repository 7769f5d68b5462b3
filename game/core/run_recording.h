#pragma once
// Every run of play, from a new game or a continue until it ends (a crash,
// back to the menu, the credits or the end of the program), recorded as a
// replay: the state play started from and each input taken before each
// frame. Recording only keeps what the window procedure hands the game, so
// play itself never waits on it.

#include <functional>

#include "gameplay/replay_file.h"

// Runs are recorded only while something keeps them; null stops recording.
// A run ends in a call of `keep`, made within the frame that ends it.
void keepRecordedRuns(std::function<void(const Replay&)> keep);

// Where play starts, with the world in the state it starts from.
void beginRunRecording();
// Each key the game takes, or kInputWindowClosed.
void recordRunInput(uint32_t input);
// After each frame: the run ends here once play has ended.
void endRecordedFrame();
// Ends a run still being recorded: the program ends, or a test stops flying.
void finishRunRecording();
