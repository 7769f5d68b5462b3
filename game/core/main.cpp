#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "core/command_line.h"
#include "core/main_loop.h"
#include "core/player_settings.h"
#include "core/replay_playback.h"

int main(int argc, char** argv) {
    const CommandLine commandLine = parseCommandLine(argc, argv);
    if (commandLine.help) {
        std::fputs(kGameUsage, stdout);
        return 0;
    }
    if (!commandLine.error.empty()) {
        std::fprintf(stderr, "Game: %s\n%s", commandLine.error.c_str(), kGameUsage);
        return 2;
    }
    loadPlayerSettings(commandLine);
    if (!commandLine.replayFile.empty()) {
        // A replay that cannot be shown is said in one line, before any window opens.
        std::string error;
        std::optional<Replay> replay = readReplayFile(commandLine.replayFile, error);
        if (replay) error = whyReplayCannotPlay(*replay);
        if (!error.empty()) {
            std::fprintf(stderr, "Game: cannot show the replay %s: %s\n",
                         commandLine.replayFile.c_str(), error.c_str());
            return 1;
        }
        watchReplayAfterLoading(std::move(*replay), commandLine.replayFile);
    }
    return runGame();
}
