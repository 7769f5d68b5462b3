#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/game_world.h"
#include "core/replay_folder.h"
#include "core/replay_playback.h"
#include "core/run_recording.h"
#include "core/window_input.h"
#include "temp_folder.h"
#include "updater_files.h"
#include "world_reset.h"

namespace fs = std::filesystem;

namespace {

const fs::path kKeptRun = fs::path(__FILE__).parent_path() / "replays" / "fresh-start-level-6.replay";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    return at == std::string::npos ? "" : text.replace(at, from.size(), to);
}

// A file that is not a whole replay of this format gives one reason and no replay.
TEST(ReplayFile, ReadsOnlyWholeReplaysOfItsFormat) {
    const std::string kept = readFile(kKeptRun.string()).value_or("");
    std::string error;
    const std::optional<Replay> replay = parseReplay(kept, error);
    ASSERT_TRUE(replay.has_value()) << error;
    EXPECT_EQ(replayText(*replay), kept);

    const struct {
        std::string text;
        const char* reason;
    } table[] = {
        {"", "not a replay of this game"},
        {"vorlune replay 2\n" + kept.substr(17), "newer version of the game (replay format 2"},
        {kept.substr(0, kept.size() - 3), "ends in the middle of a line"},
        {kept.substr(0, kept.rfind('\n', kept.size() - 2) + 1), "ends before the field rocketBoxes"},
        {kept + "more\n", "more follows the end state"},
        {replaced(kept, "\nsteer ", "\nsteer 3 "), "'3' is not a value steer can take"},
        {replaced(kept, "\nshipZ ", "\nshipZ x"), "is not a value shipZ can take"},
        {replaced(kept, "\nbombs 0\n", "\nbombs 0 1\n"), "bombs has more than 1 values"},
        {replaced(kept, "\nmode 2\n", "\nmode 3\n"), "does not start in play"},
        {replaced(kept, "\ninputs ", "\ninputs 40000"), "more inputs than the file holds"},
        {replaced(kept, " left\n", " jump\n"), "'<frame> <key>' was expected"},
        {replaced(kept, "\ninputs 4\n", "\ninputs 4\n4000000 left\n"), "out of order or beyond the run"},
        {replaced(kept, "\nstart\n", "\nbegin\n"), "'start' was expected"},
        {replaced(kept, "\nend\n", "\nend\r\n"), "'end' was expected"},
        {std::string(kMostReplayInputs + 200, '\n'), "not a replay"},
        {"vorlune replay 1\n" + std::string(kMostReplayInputs + 200, '\n'), "more lines than"},
    };
    for (const auto& row : table) {
        ASSERT_FALSE(row.text.empty() && row.reason != table[0].reason) << row.reason;
        error.clear();
        EXPECT_FALSE(parseReplay(row.text, error).has_value()) << row.reason;
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
    }

    // A file too large to be a replay is not read at all, and a replay of a
    // level this game folder does not have is not shown.
    TempWorkingFolder folder;
    writeFile("huge.replay", kept + std::string(kLargestReplayFile, ' '));
    EXPECT_FALSE(readReplayFile("huge.replay", error).has_value());
    EXPECT_EQ(error, "not a readable file of at most 16 MiB");
    EXPECT_EQ(whyReplayCannotPlay(*replay), "it starts on level 6, and Level6.vr is missing");
    writeFile("Level6.vr", "");
    EXPECT_EQ(whyReplayCannotPlay(*replay), "");
}

// The game's replays: the newest 20 of its own names; the player's files
// and links stay, and a folder that cannot be made costs nothing but the replay.
TEST(ReplayFolder, KeepsTheNewestTwentyAndWhatThePlayerPutThere) {
    TempWorkingFolder folder;
    fs::create_directories("replays");
    writeFile("replays/notes.txt", "mine");
    const std::string playersLink = replayFileName(0, 1);
    fs::create_symlink("notes.txt", "replays/" + playersLink);
    Replay run;
    run.start.values = {2, 1};
    for (std::time_t minute = 1; minute <= 22; ++minute) saveReplay("replays", run, minute * 60);
    EXPECT_EQ(fs::path(saveReplay("replays", run, 22 * 60)).filename(),
              replaced(replayFileName(22 * 60, 1), ".replay", "-2.replay"));

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator("replays")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 22u);
    EXPECT_EQ(names[0], replayFileName(0, 1)) << "the player's link";
    EXPECT_EQ(names[1], replayFileName(4 * 60, 1)) << "the oldest three of 23 go";
    EXPECT_EQ(names[21], "notes.txt");

    writeFile("not-a-folder", "");
    EXPECT_EQ(saveReplay("not-a-folder", run, 0), "");
}

void message(uint32_t message, uintptr_t wParam = 0) { windowProc(nullptr, message, wParam, 0); }

// A run takes every way play can be left or steered as it was taken, and a
// replay being watched takes only Esc, which ends it.
TEST(Replays, TakeEveryWayPlayEndsAndWatchingTakesOnlyEsc) {
    resetWorld();
    TempWorkingFolder folder;
    writeFile("Level0.vr", "30\n0\n500\n*\n");
    world.mode = GameMode::Menu;
    std::vector<Replay> runs, all;
    keepRecordedRuns([&](const Replay& run) {
        runs.push_back(run);
        all.push_back(run);
    });
    const struct {
        uint32_t message;
        uintptr_t key;
        uint32_t input;
    } table[] = {
        {platform::kMsgKeyDown, platform::kKeyLeft, platform::kKeyLeft},
        {platform::kMsgKillFocus, 0, platform::kKeyEscape},
        {platform::kMsgPadButtonDown, static_cast<uintptr_t>(platform::PadButton::B), platform::kKeyEscape},
        {platform::kMsgClose, 0, kInputWindowClosed},
    };
    for (const auto& row : table) {
        runs.clear();
        message(platform::kMsgKeyDown, platform::kKeyF1);
        endRecordedFrame();
        message(row.message, row.key);
        endRecordedFrame();
        finishRunRecording();
        ASSERT_EQ(runs.size(), 1u) << row.input;
        EXPECT_EQ(runs[0].passes, 2u);
        EXPECT_TRUE((runs[0].inputs == std::vector<ReplayInput>{{1, row.input}})) << row.input;
        world.mode = GameMode::Menu;
    }
    keepRecordedRuns(nullptr);

    ASSERT_FALSE(all.empty());
    startReplay(all[0], "steered");
    message(platform::kMsgKeyDown, platform::kKeyRight);
    message(platform::kMsgKillFocus);
    EXPECT_EQ(world.steerCommand, "");
    EXPECT_EQ(world.mode, GameMode::Playing);
    message(platform::kMsgKeyDown, platform::kKeyEscape);
    EXPECT_FALSE(world.watchingReplay);
    EXPECT_EQ(world.mode, GameMode::Menu);
}

}  // namespace
