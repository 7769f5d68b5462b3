#include "core/command_line.h"

#include <string_view>

const char* const kGameUsage =
    "Usage: Game [--window | --fullscreen] [--mute] [--help]\n"
    "  --window      play in a window\n"
    "  --fullscreen  play on the whole screen\n"
    "  --mute        no music and no sound this time\n"
    "  -h, --help    show this help and quit\n"
    "Settings are kept in $XDG_CONFIG_HOME/vorlune/settings.ini, by default "
    "~/.config/vorlune/settings.ini.\n";

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
        } else {
            const bool looksLikeOption = argument.starts_with('-') && argument.size() > 1;
            line.error = (looksLikeOption ? "unknown option '" : "unexpected argument '") +
                         std::string(argument) + "'";
            break;
        }
    }
    return line;
}
