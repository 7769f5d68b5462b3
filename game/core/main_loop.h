#pragma once
// The entry point's work: the window, the music, and the paced main loop.

#include "core/platform/window_system.h"

// At least this long from one frame start to the next.
constexpr uint32_t kFrameInterval = 16;

struct MainLoop {
    platform::WindowHandle window = nullptr;
    bool frameStarted = false;  // no frame has run yet: the first one runs at once
};

// Waits (in 1 ms sleeps) until the next frame may start and stamps its start.
void waitForFrameStart(MainLoop& loop);
// One frame of what the mode shows, with the steering before it; a replay
// being shown gives its inputs first, and a run being recorded notes it.
void runFrame();
// One pass: at most one message, then start-up loading or one frame.
// Returns false when the program must end at once (start-up failed).
bool runLoopPass(MainLoop& loop);
// The whole program; returns its exit code.
int runGame();
