#pragma once
// Watching a replay: the recorded run shown through the real frame
// functions, frame by frame, with its inputs given to the game as the window
// procedure gave them; a moment of its last screen, then the menu, with the
// game as it was before (a replay never saves progress).

#include <string>
#include <vector>

#include "gameplay/replay_file.h"

// Why `replay` cannot be shown with this game folder, or empty when it can.
std::string whyReplayCannotPlay(const Replay& replay);

// Shows `replay` once start-up loading is done; `source` names it in messages.
void watchReplayAfterLoading(Replay replay, std::string source);
// Called when start-up loading is done.
void startPendingReplay();
void startReplay(Replay replay, std::string source);

// Before each frame: the inputs taken before that frame of the run.
void feedReplayInputs();
// After each frame: the run's end is compared once its frames are shown.
void endReplayFrame();
// Back to the menu and the game as it was (the viewer's Esc, or the end).
void stopReplay();

// The fields in which the last replay's end differed from the recorded
// run's; empty when it played out exactly.
const std::vector<std::string>& lastReplayDifferences();
