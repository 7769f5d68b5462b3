#include "frame_start_clock.h"

#include "bench_support.h"

namespace bench {

uint32_t FrameStartClock::milliseconds() {
    const uint32_t now = system_.milliseconds();
    if (takeNextReading_) {
        candidateWall_ = wallMs();
        haveCandidate_ = true;
        takeNextReading_ = false;
    }
    return now;
}

void FrameStartClock::sleep(uint32_t ms) {
    ++sleeps_;
    system_.sleep(ms);
    takeNextReading_ = true;
}

void FrameStartClock::requestResolution(uint32_t ms) {
    system_.requestResolution(ms);
    if (haveCandidate_) {
        FrameStart start{candidateWall_, processCpuMs(), pageFaults(), voluntarySwitches(),
                         sleeps_};
        starts.push_back(start);
        if (onFrameStart) onFrameStart(start);
    }
    haveCandidate_ = false;
    takeNextReading_ = true;
}

}  // namespace bench
