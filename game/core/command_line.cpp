#include "core/command_line.h"

#include <string_view>

const char* const kGameUsage =
    "Usage: Game [--window | --fullscreen] [--mute] [--replay FILE] [--help]\n"
    "  --window      play in a window\n"
    "  --fullscreen  play on the whole screen\n"
    "  --mute        no music and no sound this time\n"
    "  --replay FILE show a recorded run, then the menu; Esc ends it\n"
    "  -h, --help    show this help and quit\n"
    "Settings are kept in $XDG_CONFIG_HOME/vorlune/settings.ini, by default "
    "~/.config/vorlune/settings.ini.\n"
    "Every run is recorded in replays/ beside the progress file; the newest 20 are kept.\n";

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--fullscreen") {
            line.fullScreen = true;
        } else if (argument == "--window") {
            line.fullScreen = false;
        } else if (argument == "--mute") {
            line.mute = true;
        } else if (argument == "--help" || argument == "-h") {
            line.help = true;
        } else if (argument == "--replay") {
            if (i + 1 == argc) {
                line.error = "--replay needs the replay file to show";
                break;
            }
            line.replayFile = argv[++i];
        } else {
            const bool looksLikeOption = argument.starts_with('-') && argument.size() > 1;
            line.error = (looksLikeOption ? "unknown option '" : "unexpected argument '") +
                         std::string(argument) + "'";
            break;
        }
    }
    return line;
}
