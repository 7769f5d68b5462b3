#include <cstdio>

#include "core/command_line.h"
#include "core/main_loop.h"
#include "core/player_settings.h"

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
    return runGame();
}
