#include "core/replay_playback.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/game_world.h"
#include "core/platform/file_system.h"
#include "core/window_input.h"
#include "effects/particle_emitters.h"

namespace {

// About two seconds of the crash or the credits before the menu.
constexpr int kLastScreenFrames = 120;

struct Playback {
    std::optional<Replay> pending;
    std::string pendingSource;

    bool active = false;
    Replay replay;
    std::string source;
    uint32_t pass = 0;
    size_t nextInput = 0;
    bool framesShown = false;
    int lastScreenFrames = 0;
    std::vector<std::string> differences;

    // The game as it was, for the menu afterwards.
    RunState before;
    char banner[sizeof world.levelBanner] = {};
    uint32_t levelStartTime = 0;
};

Playback& playback() {
    static Playback instance;
    return instance;
}

bool inPlay() { return world.mode == GameMode::Playing || world.mode == GameMode::LevelTransition; }

void applyInputsUpTo(uint32_t pass) {
    Playback& shown = playback();
    const std::vector<ReplayInput>& inputs = shown.replay.inputs;
    // Inputs only reach play: a run that ends early here takes none after.
    while (shown.nextInput < inputs.size() && inputs[shown.nextInput].pass <= pass && inPlay()) {
        const uint32_t input = inputs[shown.nextInput++].input;
        if (input == kInputWindowClosed) {
            world.mode = GameMode::Quit;
        } else {
            handleKey(input);
        }
    }
}

void compareEnd() {
    Playback& shown = playback();
    applyInputsUpTo(shown.replay.passes);
    shown.framesShown = true;
    shown.differences = differingFields(shown.replay.end, captureRunState());
    if (!shown.differences.empty()) {
        std::string fields;
        for (const std::string& name : shown.differences) fields += (fields.empty() ? "" : ", ") + name;
        std::fprintf(stderr, "Game: the replay %s did not play out as recorded (%s differ)\n",
                     shown.source.c_str(), fields.c_str());
    }
    const bool lastScreenHeld = world.mode == GameMode::GameOver || world.mode == GameMode::TheEnd;
    shown.lastScreenFrames = lastScreenHeld ? kLastScreenFrames : 0;
}

}  // namespace

std::string whyReplayCannotPlay(const Replay& replay) {
    const auto level = static_cast<int32_t>(runStateValue(replay.start, "level").value_or(0));
    const std::string rocks = "Level" + std::to_string(level) + ".vr";
    std::FILE* file = platform::openRegularFile(rocks.c_str());
    if (file == nullptr) return "it starts on level " + std::to_string(level) + ", and " + rocks + " is missing";
    std::fclose(file);
    return {};
}

void watchReplayAfterLoading(Replay replay, std::string source) {
    playback().pending = std::move(replay);
    playback().pendingSource = std::move(source);
}

void startPendingReplay() {
    Playback& shown = playback();
    if (!shown.pending) return;
    Replay replay = std::move(*shown.pending);
    shown.pending.reset();
    startReplay(std::move(replay), shown.pendingSource);
}

void startReplay(Replay replay, std::string source) {
    Playback& shown = playback();
    shown.before = captureRunState();
    std::memcpy(shown.banner, world.levelBanner, sizeof shown.banner);
    shown.levelStartTime = world.levelStartTime;

    shown.replay = std::move(replay);
    shown.source = std::move(source);
    shown.active = true;
    shown.pass = 0;
    shown.nextInput = 0;
    shown.framesShown = false;
    shown.differences.clear();
    world.watchingReplay = true;
    stopAllEmitters();
    applyRunState(shown.replay.start);
    std::srand(shown.replay.seed);
}

void feedReplayInputs() {
    Playback& shown = playback();
    if (shown.active && !shown.framesShown) applyInputsUpTo(shown.pass);
}

void endReplayFrame() {
    Playback& shown = playback();
    if (!shown.active) return;
    if (!shown.framesShown) {
        shown.pass += 1;
        if (shown.pass < shown.replay.passes && inPlay()) return;
        compareEnd();
        // A run that ended in the menu or with the window closed shows nothing more.
        if (shown.lastScreenFrames == 0) stopReplay();
        return;
    }
    if (shown.lastScreenFrames-- <= 0) stopReplay();
}

void stopReplay() {
    Playback& shown = playback();
    if (!shown.active) return;
    shown.active = false;
    world.watchingReplay = false;
    applyRunState(shown.before);
    std::memcpy(world.levelBanner, shown.banner, sizeof shown.banner);
    world.levelStartTime = shown.levelStartTime;
    world.mode = GameMode::Menu;
    stopAllEmitters();
}

const std::vector<std::string>& lastReplayDifferences() { return playback().differences; }
