#include "core/replay_folder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>
#include <vector>

#include "core/platform/file_system.h"
#include "core/run_recording.h"

namespace fs = std::filesystem;

namespace {

// The names replayFileName gives, with the "-2" a second one in the same second takes.
bool isGameReplayName(const std::string& name) {
    static const std::regex pattern(
        R"(\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_level--?\d+(-\d+)?\.replay)");
    return std::regex_match(name, pattern);
}

// The game's own replays in `folder`, oldest first: regular files of its names only.
std::vector<std::string> gameReplays(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && !entry.is_symlink(error) && isGameReplayName(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void removeOldestReplays(const std::string& folder, const std::string& saved) {
    std::vector<std::string> names = gameReplays(folder);
    std::erase(names, saved);
    if (names.size() < kReplaysKept) return;
    for (size_t i = 0; i + kReplaysKept - 1 < names.size(); ++i) {
        std::error_code ignored;
        fs::remove(fs::path(folder) / names[i], ignored);
    }
}

}  // namespace

std::string replayFileName(std::time_t when, int32_t level) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    return std::string(stamp) + "_level-" + std::to_string(level) + ".replay";
}

std::string saveReplay(const std::string& folder, const Replay& replay, std::time_t when) {
    std::error_code error;
    fs::create_directories(folder, error);
    const int32_t level = static_cast<int32_t>(runStateValue(replay.start, "level").value_or(0));
    const std::string name = replayFileName(when, level);
    std::string path = (fs::path(folder) / name).string();
    // A second run ended within the same second takes a number of its own.
    const std::string stem = path.substr(0, path.size() - std::string_view(".replay").size());
    for (int copy = 2; fs::exists(fs::symlink_status(path, error)); ++copy) {
        if (copy > 99) return {};
        path = stem + "-" + std::to_string(copy) + ".replay";
    }
    if (!platform::replaceFile(path.c_str(), replayText(replay))) return {};
    removeOldestReplays(folder, fs::path(path).filename().string());
    return path;
}

void keepRunsInReplayFolder() {
    keepRecordedRuns([](const Replay& replay) {
        if (saveReplay(kReplayFolder, replay, std::time(nullptr)).empty())
            std::fprintf(stderr, "Game: the replay of this run could not be saved in %s/\n",
                         kReplayFolder);
    });
}
