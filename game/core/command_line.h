#pragma once
// The game's command line: choices for this start that the settings file
// would otherwise make.

#include <optional>
#include <string>

struct CommandLine {
    std::optional<bool> fullScreen;  // --fullscreen true, --window false; the last one given wins
    bool mute = false;               // --mute: music and sound silent for this start only
    bool help = false;               // --help (also -h)
    std::string replayFile;          // --replay FILE: show that recorded run first
    std::string error;               // non-empty for anything else: "unknown option '--x'" etc.
};

// argv[0] is the program. Reading stops at the first argument in error.
CommandLine parseCommandLine(int argc, const char* const* argv);

// The --help text, ending in a line feed.
extern const char* const kGameUsage;
