#pragma once
// The system clock as the game uses it, with a note of every frame start.
// The main loop's wait asks for the timer resolution first, then reads the
// clock and sleeps 1 ms until the next frame may start: the reading after the
// last sleep of a wait (or its first reading, when it did not sleep) is the
// frame's start. Only the wait asks for the resolution on the menu screen,
// which is where the benchmarks run the real loop.

#include <functional>
#include <vector>

#include "core/platform/clock.h"

namespace bench {

struct FrameStart {
    double wall = 0;        // ms, monotonic
    double processCpu = 0;  // ms, all threads
    long faults = 0, switches = 0, sleeps = 0;
};

class FrameStartClock final : public platform::Clock {
public:
    explicit FrameStartClock(platform::Clock& system) : system_(system) {}

    uint32_t milliseconds() override;
    void sleep(uint32_t ms) override;
    void requestResolution(uint32_t ms) override;

    // Every frame start noted so far; the last one is noted when the next
    // wait begins, that is once its frame has been presented.
    std::vector<FrameStart> starts;
    // Called with each frame start as it is noted.
    std::function<void(const FrameStart&)> onFrameStart;

private:
    platform::Clock& system_;
    bool takeNextReading_ = false;
    bool haveCandidate_ = false;
    double candidateWall_ = 0;
    long sleeps_ = 0;
};

}  // namespace bench
