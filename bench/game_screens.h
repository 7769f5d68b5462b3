#pragma once
// The game's five screens as the benchmarks drive them: how each is set up,
// what is put right between its frames (outside anything timed), and its
// frame function. The game must have been started (loadGame) first.

#include <functional>
#include <vector>

namespace bench {

struct Scenario {
    const char* name;
    std::function<void()> prepare;
    std::function<void(int frameIndex)> betweenFrames;
    void (*frame)();
};

// Menu, playing the densest level with an explosion in view, the game-over
// screen over that level with a crash's explosions, the level transition
// into it, the closing screen with explosions, and play again with the run
// recorded.
std::vector<Scenario> gameScenarios();

// A message may be waiting (the window manager, the X server); the real loop
// takes one per pass, so the benchmarks do too, outside anything timed.
void takeOneMessage();

}  // namespace bench
