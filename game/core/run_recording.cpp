#include "core/run_recording.h"

#include <cstdlib>

#include "core/game_world.h"

namespace {

struct Recording {
    std::function<void(const Replay&)> keep;
    bool active = false;
    bool overflowed = false;  // too many inputs to keep: the run is not kept
    Replay replay;
};

Recording& recording() {
    static Recording instance;
    return instance;
}

bool inPlay() { return world.mode == GameMode::Playing || world.mode == GameMode::LevelTransition; }

}  // namespace

void keepRecordedRuns(std::function<void(const Replay&)> keep) {
    recording().keep = std::move(keep);
    if (!recording().keep) recording().active = false;
}

void beginRunRecording() {
    Recording& run = recording();
    if (!run.keep || world.watchingReplay) return;
    finishRunRecording();
    run.replay = Replay{};
    // The explosions' random numbers go on from a seed the replay keeps, so
    // a replay shows the same explosions.
    run.replay.seed = static_cast<uint32_t>(std::rand());
    std::srand(run.replay.seed);
    run.replay.start = captureRunState();
    run.active = true;
    run.overflowed = false;
}

void recordRunInput(uint32_t input) {
    Recording& run = recording();
    if (!run.active) return;
    if (run.replay.inputs.size() >= kMostReplayInputs) {
        run.overflowed = true;
        return;
    }
    run.replay.inputs.push_back({run.replay.passes, input});
}

void endRecordedFrame() {
    Recording& run = recording();
    if (!run.active) return;
    run.replay.passes += 1;
    if (!inPlay()) finishRunRecording();
}

void finishRunRecording() {
    Recording& run = recording();
    if (!run.active) return;
    run.active = false;
    if (run.overflowed || run.replay.passes == 0) return;
    run.replay.end = captureRunState();
    run.keep(run.replay);
}
